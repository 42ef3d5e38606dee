#pragma once

#include "app/PendingNotification.h"
#include "core/Clock.h"
#include "platform/NotificationCenter.h"
#include "stores/JsonStore.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>

class DBusNotificationClient;

// The app's notification centre on Linux. Notifications without a trigger are shown at once;
// those with a calendar trigger wait here until their moment, kept in notifications.json so
// task reminders and briefing rituals outlive a restart of the app. The desktop only ever sees
// notifications that are due.
//
// One that fell due while it could not be shown (the app was not running, the machine slept)
// is shown late if it is at most kLateDeliveryWindow overdue, and dropped otherwise. Twelve
// hours covers a night with the machine off, so a reminder set for early morning still greets
// the user, while yesterday afternoon's no longer turn up the next day.
class LocalNotificationCenter final : public QObject, public NotificationCenter
{
    Q_OBJECT

public:
    static constexpr std::chrono::hours kLateDeliveryWindow{12};
    // The timer never sleeps longer than this, so a jump of the wall clock (a resume from
    // suspend, a corrected time) is noticed within a minute.
    static constexpr std::chrono::seconds kLongestWait{60};

    // Loads what was pending and at once shows (or drops) what fell due meanwhile.
    LocalNotificationCenter(const Clock &clock, DBusNotificationClient &desktop,
                            const QString &folder = DataFolder::defaultPath(), QObject *parent = nullptr);

    void requestAuthorization() override;
    void add(const NotificationRequest &request) override;
    void removePending(const QStringList &identifiers) override;

    // Shows every pending notification that is due by the clock. The timer calls it; tests that
    // move a ManualClock call it themselves.
    void deliverDue();

    const QList<PendingNotification> &pending() const { return m_pending; }
    void flush() { m_store.flush(); }

private:
    void present(const QString &identifier, const QString &title, const QString &body, bool defaultSound,
                 const QDateTime &dueAt, const QDateTime &now);
    void setPending(const QList<PendingNotification> &pending);
    void armTimer();

    const Clock &m_clock;
    DBusNotificationClient &m_desktop;
    JsonStore<PendingNotification> m_store;
    QList<PendingNotification> m_pending;
    QTimer m_timer;
};
