#pragma once

#include "ui/MenuBarRows.h"

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class AppState;
class ShellWindows;

// What the menu-bar panel shows, following the app state property by property, and the actions
// of its rows.
class MenuBarModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the menu-bar panel")
    Q_PROPERTY(bool isDictating READ isDictating NOTIFY isDictatingChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QString listeningHint READ listeningHint NOTIFY voiceModeChanged)
    Q_PROPERTY(QString liveTranscript READ liveTranscript NOTIFY liveTranscriptChanged)
    Q_PROPERTY(bool showsLiveBox READ showsLiveBox NOTIFY boxesChanged)
    Q_PROPERTY(QString lastResult READ lastResult NOTIFY lastResultChanged)
    Q_PROPERTY(QString lastResultLabel READ lastResultLabel NOTIFY voiceModeChanged)
    Q_PROPERTY(bool showsLastResultBox READ showsLastResultBox NOTIFY boxesChanged)
    Q_PROPERTY(bool showsAccessibilityWarning READ showsAccessibilityWarning NOTIFY permissionsChanged)
    Q_PROPERTY(QString accessibilityWarning READ accessibilityWarning CONSTANT)
    Q_PROPERTY(MenuBarRows *rows READ rowModel CONSTANT)
    Q_PROPERTY(QVariantMap quitRow READ quitRowForViews CONSTANT)
    Q_PROPERTY(double audioLevel READ audioLevel NOTIFY audioLevelChanged)
    Q_PROPERTY(bool waveRunning READ waveRunning NOTIFY waveRunningChanged)

public:
    MenuBarModel(AppState &app, ShellWindows &windows, QObject *parent = nullptr);

    bool isDictating() const;
    QString statusMessage() const;
    QString listeningHint() const;
    QString liveTranscript() const;
    bool showsLiveBox() const { return isDictating() && !liveTranscript().isEmpty(); }
    QString lastResult() const;
    QString lastResultLabel() const;
    bool showsLastResultBox() const { return !showsLiveBox() && !lastResult().isEmpty(); }
    bool showsAccessibilityWarning() const;
    static QString accessibilityWarning();
    MenuBarRows *rowModel() { return &m_rows; }
    const QList<MenuBarRow> &rows() const { return m_rows.rows(); }
    static MenuBarRow quitRow();
    double audioLevel() const;
    // The small wave animates only while the panel is on screen and a recording runs.
    bool waveRunning() const { return m_shown && isDictating(); }
    void setShown(bool shown);

    // Runs the row's action. Rows that open something else first ask for the panel to close
    // (closePanelRequested) and then act on the next turn of the event loop.
    Q_INVOKABLE void trigger(const QString &action);

    // Height of bar `index` (of 12) of the panel's level meter at time t and level L.
    Q_INVOKABLE static double waveBarHeight(int index, double time, double level);

signals:
    void isDictatingChanged();
    void statusMessageChanged();
    void voiceModeChanged();
    void liveTranscriptChanged();
    void lastResultChanged();
    void boxesChanged();
    void permissionsChanged();
    void audioLevelChanged();
    void waveRunningChanged();
    void closePanelRequested();

private:
    QVariantMap quitRowForViews() const;
    void toggleFocusHud();

    AppState &m_app;
    ShellWindows &m_windows;
    MenuBarRows m_rows;
    bool m_shown = false;
};
