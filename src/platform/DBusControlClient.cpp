#include "platform/DBusControlClient.h"

#include "platform/DBusControlService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

bool DBusControlClient::isAppRunning()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(DBusControlService::kServiceName).value();
}

bool DBusControlClient::isActivatable()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->activatableServiceNames().value().contains(DBusControlService::kServiceName);
}

DBusControlClient::Reply DBusControlClient::call(const QString &method, const QVariantList &arguments,
                                                 int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    Reply reply;
    if (!bus.isConnected()) {
        reply.error = u"there is no session bus"_qs;
        return reply;
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall(DBusControlService::kServiceName, DBusControlService::kObjectPath,
                                       DBusControlService::kServiceName, method);
    message.setArguments(arguments);
    const QDBusMessage answer = bus.call(message, QDBus::Block, timeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        reply.error = answer.errorMessage().isEmpty() ? answer.errorName() : answer.errorMessage();
        return reply;
    }
    reply.ok = true;
    if (!answer.arguments().isEmpty())
        reply.value = answer.arguments().constFirst().toString();
    return reply;
}
