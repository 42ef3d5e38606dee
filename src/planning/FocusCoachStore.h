#pragma once

#include "core/Clock.h"
#include "planning/FocusSession.h"
#include "stores/JsonStore.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class FocusHud;
class NotificationCenter;

// Keeps the day's focus session (focus-session.json), knows which milestone is being worked on and
// nudges the user when they start dictating or capturing while it is still open.
class FocusCoachStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(std::optional<FocusSession> session READ session NOTIFY sessionChanged)
    Q_PROPERTY(std::optional<QString> driftMessage READ driftMessage NOTIFY driftMessageChanged)
    Q_PROPERTY(bool hudVisible READ hudVisible WRITE setHudVisible NOTIFY hudVisibleChanged)
    Q_PROPERTY(double progress READ progress NOTIFY sessionChanged)

public:
    // A declared switch of task silences nudges this long; after that they come at most this often.
    static constexpr double kSwitchQuietSeconds = 1200;
    static constexpr double kNudgeIntervalSeconds = 480;

    // Restores the session stored for today; one from an earlier day is dropped from the file.
    FocusCoachStore(const Clock &clock, NotificationCenter &notifications,
                    const QString &folder = DataFolder::defaultPath(), QObject *parent = nullptr);

    // The panel that shows the coach; none (headless) shows nothing. Must outlive the store or be
    // reset to null first.
    void setHud(FocusHud *hud) { m_hud = hud; }

    const std::optional<FocusSession> &session() const { return m_session; }
    const std::optional<QString> &driftMessage() const { return m_driftMessage; }
    bool hudVisible() const { return m_hudVisible; }
    // The HUD reports here whether it was last shown or closed.
    void setHudVisible(bool visible);

    std::optional<FocusMilestone> activeMilestone() const;
    double progress() const;

    // Replaces any session with the one spoken, shows the HUD and confirms with a notification.
    FocusSession setFromSpeech(const QString &text);
    void toggleMilestone(const QUuid &id);
    // The user switches task on purpose: no nudges for a while.
    void allowSwitch();
    // A dictation or capture started; nudges if the active milestone is open and it has been long
    // enough. The kind ("dictate", "capture") does not change the outcome.
    void noteActivity(const QString &kind);
    void clear();

    void flush() { m_store.flush(); }

signals:
    void sessionChanged();
    void driftMessageChanged();
    void hudVisibleChanged();

private:
    void setSession(const std::optional<FocusSession> &session);
    void setDriftMessage(const std::optional<QString> &message);
    void showHud();
    void notify(const QString &title, const QString &body);

    const Clock &m_clock;
    NotificationCenter &m_notifications;
    FocusHud *m_hud = nullptr;
    JsonStore<FocusSession> m_store;
    std::optional<FocusSession> m_session;
    std::optional<QString> m_driftMessage;
    bool m_hudVisible = false;
};
