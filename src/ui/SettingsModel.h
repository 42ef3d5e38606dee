#pragma once

#include "app/AppSettings.h"
#include "ui/DictionaryListModel.h"
#include "ui/HourStepper.h"
#include "ui/PermissionListModel.h"
#include "ui/SnippetListModel.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

class AppState;
class TaskStore;

// What the settings window binds its controls to. Toggles and text fields bind straight to the
// app's settings; the controls that convert, clamp or act do so here. Every change is written at
// once to its owner, so the window itself holds nothing but the texts being typed.
class SettingsModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")
    Q_PROPERTY(AppSettings *settings READ settings CONSTANT)
    Q_PROPERTY(int outputIndex READ outputIndex WRITE setOutputIndex NOTIFY outputIndexChanged)
    Q_PROPERTY(HourStepper *morningHour READ morningHour CONSTANT)
    Q_PROPERTY(HourStepper *middayHour READ middayHour CONSTANT)
    Q_PROPERTY(double leadHours READ leadHours WRITE setLeadHours NOTIFY leadHoursChanged)
    Q_PROPERTY(QString leadLabel READ leadLabel NOTIFY leadHoursChanged)
    Q_PROPERTY(PermissionListModel *permissions READ permissions CONSTANT)
    Q_PROPERTY(DictionaryListModel *dictionary READ dictionary CONSTANT)
    Q_PROPERTY(SnippetListModel *snippets READ snippets CONSTANT)

public:
    // The "Output" picker's choices, in their order.
    enum Output { TypeAtCursor, ClipboardOnly };
    static constexpr double kMinimumLeadHours = 1.0;
    static constexpr double kMaximumLeadHours = 6.0;
    static constexpr double kLeadStepHours = 0.5;

    SettingsModel(AppState &app, DesktopAccess desktop = {}, QObject *parent = nullptr);

    AppSettings *settings() const;
    // "clipboardOnly" stored picks the second choice, anything else the first.
    int outputIndex() const;
    void setOutputIndex(int index);

    HourStepper *morningHour() const { return m_morningHour; }
    HourStepper *middayHour() const { return m_middayHour; }

    double leadHours() const;
    // Snapped to the slider's half hours within its range; a change is stored in the task store
    // and every open task's reminder is posted again.
    void setLeadHours(double hours);
    QString leadLabel() const;

    PermissionListModel *permissions() const { return m_permissions; }
    DictionaryListModel *dictionary() const { return m_dictionary; }
    SnippetListModel *snippets() const { return m_snippets; }

    // Asks the desktop again what the app may use; the General tab calls it each time it shows.
    Q_INVOKABLE void recheckPermissions();

signals:
    void outputIndexChanged();
    void leadHoursChanged();

private:
    AppState &m_app;
    TaskStore &m_tasks;
    HourStepper *m_morningHour;
    HourStepper *m_middayHour;
    PermissionListModel *m_permissions;
    DictionaryListModel *m_dictionary;
    SnippetListModel *m_snippets;
    int m_outputIndex;
};
