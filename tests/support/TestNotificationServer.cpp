#include "support/TestNotificationServer.h"

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

TestNotificationServer::TestNotificationServer(QStringList capabilities)
    : m_bus(QString()), m_capabilities(std::move(capabilities))
{}

bool TestNotificationServer::registerOn(const QDBusConnection &bus)
{
    m_bus = bus;
    return m_bus.registerObject(kPath, this,
                                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
           m_bus.registerService(kService);
}

void TestNotificationServer::unregister()
{
    m_bus.unregisterService(kService);
    m_bus.unregisterObject(kPath);
}

void TestNotificationServer::releaseHeldReplies()
{
    for (const QDBusMessage &reply : std::exchange(m_heldReplies, {}))
        m_bus.send(reply);
}

void TestNotificationServer::dismiss(uint id)
{
    if (m_open.remove(id))
        emit NotificationClosed(id, 2);
}

QStringList TestNotificationServer::GetCapabilities()
{
    return m_capabilities;
}

uint TestNotificationServer::Notify(const QString &app_name, uint replaces_id, const QString &,
                                    const QString &summary, const QString &body, const QStringList &,
                                    const QVariantMap &hints, int expire_timeout)
{
    const uint id = m_open.contains(replaces_id) ? replaces_id : ++m_lastId;
    m_open.insert(id);
    received.append(Received{app_name, replaces_id, summary, body, hints, expire_timeout, id});
    if (m_holding) {
        setDelayedReply(true);
        m_heldReplies.append(message().createReply(id));
    }
    return id;
}
