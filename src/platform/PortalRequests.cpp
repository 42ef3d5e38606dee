#include "platform/PortalRequests.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDebug>

namespace {

const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

PortalRequests::PortalRequests(QDBusConnection bus, QString interface, QObject *parent)
    : QObject(parent), m_bus(std::move(bus)), m_interface(std::move(interface))
{}

bool PortalRequests::isOffered(const QDBusConnection &bus)
{
    const QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    return daemon && (daemon->isServiceRegistered(kService).value() ||
                      daemon->activatableServiceNames().value().contains(kService));
}

QString PortalRequests::handle(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

void PortalRequests::call(const QString &method, QVariantList arguments, QVariantMap options, Answer answer)
{
    const QString token = u"dictrava%1"_qs.arg(++m_tokens);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString path = u"/org/freedesktop/portal/desktop/request/%1/%2"_qs.arg(sender, token);
    m_pending.insert(path, std::move(answer));
    m_bus.connect(kService, path, kRequestInterface, u"Response"_qs, this,
                  SLOT(onResponse(uint, QVariantMap, QDBusMessage)));

    options.insert(u"handle_token"_qs, token);
    arguments.append(options);
    send(method, arguments, [this, path](bool refused) {
        if (refused)
            finish(path, 2, {});
    });
}

void PortalRequests::notify(const QString &method, const QVariantList &arguments,
                            std::function<void()> answered)
{
    send(method, arguments, [answered = std::move(answered)](bool) { answered(); });
}

void PortalRequests::send(const QString &method, const QVariantList &arguments,
                          std::function<void(bool)> answered)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, m_interface, method);
    message.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method, answered = std::move(answered)](QDBusPendingCallWatcher *done) {
                done->deleteLater();
                if (done->isError()) {
                    qInfo().noquote() << (u"[Desktop] The desktop portal refused %1.%2: %3"_qs.arg(
                        m_interface, method, done->error().message()));
                }
                answered(done->isError());
            });
}

void PortalRequests::closeSession(const QString &session)
{
    m_bus.call(
        QDBusMessage::createMethodCall(kService, session, u"org.freedesktop.portal.Session"_qs, u"Close"_qs),
        QDBus::NoBlock);
}

void PortalRequests::onResponse(uint response, const QVariantMap &results, const QDBusMessage &message)
{
    finish(message.path(), response, results);
}

void PortalRequests::finish(const QString &path, uint response, const QVariantMap &results)
{
    const Answer answer = m_pending.take(path);
    if (!answer)
        return;
    m_bus.disconnect(kService, path, kRequestInterface, u"Response"_qs, this,
                     SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    answer(response, results);
}
