#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>

class FocusCoachStore;

// What the focus HUD shows, following the focus coach: the North Star, progress, the milestone
// being worked on, the drift message and the count; and its buttons' actions.
class FocusHUDViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the focus HUD")
    Q_PROPERTY(bool hasSession READ hasSession NOTIFY changed)
    Q_PROPERTY(QString emptyText READ emptyText CONSTANT)
    Q_PROPERTY(QString northStar READ northStar NOTIFY changed)
    Q_PROPERTY(double progress READ progress NOTIFY changed)
    Q_PROPERTY(QString nowLine READ nowLine NOTIFY changed)
    Q_PROPERTY(bool allDone READ allDone NOTIFY changed)
    Q_PROPERTY(bool canTickOff READ canTickOff NOTIFY changed)
    Q_PROPERTY(QString driftMessage READ driftMessage NOTIFY driftMessageChanged)
    Q_PROPERTY(QString count READ count NOTIFY changed)

public:
    // `onClose` takes the panel off screen.
    FocusHUDViewModel(FocusCoachStore &coach, std::function<void()> onClose, QObject *parent = nullptr);

    bool hasSession() const;
    static QString emptyText();
    QString northStar() const;
    double progress() const;
    // "Now: …" for the active milestone, or the all-done line.
    QString nowLine() const;
    bool allDone() const { return hasSession() && !canTickOff(); }
    bool canTickOff() const;
    QString driftMessage() const;
    // Milestones done of all, "2/5".
    QString count() const;

    // Ticks the active milestone off.
    Q_INVOKABLE void done();
    Q_INVOKABLE void switchOk();
    // Off screen; the session stays.
    Q_INVOKABLE void close();

signals:
    void changed();
    void driftMessageChanged();

private:
    FocusCoachStore &m_coach;
    std::function<void()> m_onClose;
};
