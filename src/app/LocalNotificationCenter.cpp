#include "app/LocalNotificationCenter.h"

#include "core/Diagnostics.h"
#include "platform/DBusNotificationClient.h"

#include <algorithm>

LocalNotificationCenter::LocalNotificationCenter(const Clock &clock, DBusNotificationClient &desktop,
                                                 const QString &folder, QObject *parent)
    : QObject(parent), m_clock(clock), m_desktop(desktop),
      m_store(QStringLiteral("notifications.json"), folder), m_pending(m_store.load())
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LocalNotificationCenter::deliverDue);
    deliverDue();
}

void LocalNotificationCenter::requestAuthorization()
{
    // The freedesktop service has no permission to ask for: whether and how we are shown is
    // up to the desktop's own notification settings.
}

void LocalNotificationCenter::add(const NotificationRequest &request)
{
    const QDateTime now = m_clock.now();
    QList<PendingNotification> pending = m_pending;
    pending.removeIf([&](const PendingNotification &p) { return p.identifier == request.identifier; });

    if (!request.fireAt) {
        present(request.identifier, request.title, request.body, request.defaultSound, now, now);
    } else if (!request.fireAt->isValid()) {
        // A trigger that names no moment never matches; it still takes the old one's place.
        printDiagnostic(QStringLiteral("[Notifications] no valid time for ") + request.identifier);
    } else if (*request.fireAt <= now) {
        // Due by the time it arrived (the poster checked a moment ago, or its clock is behind).
        present(request.identifier, request.title, request.body, request.defaultSound, *request.fireAt, now);
    } else {
        pending.append(PendingNotification{request.identifier, request.title, request.body,
                                           request.defaultSound, Timestamp::fromDateTime(*request.fireAt)});
    }
    setPending(pending);
    armTimer();
}

void LocalNotificationCenter::removePending(const QStringList &identifiers)
{
    QList<PendingNotification> pending = m_pending;
    pending.removeIf([&](const PendingNotification &p) { return identifiers.contains(p.identifier); });
    setPending(pending);
    armTimer();
}

void LocalNotificationCenter::deliverDue()
{
    const QDateTime now = m_clock.now();
    QList<PendingNotification> due;
    QList<PendingNotification> waiting;
    for (const PendingNotification &p : std::as_const(m_pending))
        (p.fireAt.toDateTime() <= now ? due : waiting).append(p);

    if (!due.isEmpty()) {
        setPending(waiting);
        // Oldest first, so the newest ends up on top.
        std::stable_sort(
            due.begin(), due.end(),
            [](const PendingNotification &a, const PendingNotification &b) { return a.fireAt < b.fireAt; });
        for (const PendingNotification &p : std::as_const(due))
            present(p.identifier, p.title, p.body, p.defaultSound, p.fireAt.toDateTime(), now);
    }
    armTimer();
}

void LocalNotificationCenter::present(const QString &identifier, const QString &title, const QString &body,
                                      bool defaultSound, const QDateTime &dueAt, const QDateTime &now)
{
    const qint64 lateSeconds = dueAt.secsTo(now);
    if (lateSeconds > std::chrono::seconds(kLateDeliveryWindow).count()) {
        printDiagnostic(QStringLiteral("[Notifications] dropped ") + identifier + QStringLiteral(", due ") +
                        dueAt.toString(Qt::ISODate) + QStringLiteral(": too late to show"));
        return;
    }
    m_desktop.show(identifier, title, body, defaultSound);
}

void LocalNotificationCenter::setPending(const QList<PendingNotification> &pending)
{
    if (pending == m_pending)
        return;
    m_pending = pending;
    m_store.save(m_pending);
}

void LocalNotificationCenter::armTimer()
{
    if (m_pending.isEmpty()) {
        m_timer.stop();
        return;
    }
    const auto earliest = std::min_element(
        m_pending.cbegin(), m_pending.cend(),
        [](const PendingNotification &a, const PendingNotification &b) { return a.fireAt < b.fireAt; });
    // The wait is computed in 64 bits and bounded before it meets QTimer's int: a clock set
    // decades away from the trigger must neither overflow nor stop the timer.
    const qint64 wait = m_clock.now().msecsTo(earliest->fireAt.toDateTime());
    const qint64 longest = std::chrono::milliseconds(kLongestWait).count();
    m_timer.start(static_cast<int>(std::clamp<qint64>(wait, 0, longest)));
}
