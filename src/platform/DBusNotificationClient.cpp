#include "platform/DBusNotificationClient.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kAppName = QStringLiteral("Dictrava");
// The sound theme's name for "a message came in", which desktops map to their default sound.
const QString kDefaultSoundName = QStringLiteral("message-new-instant");
// Let the server decide how long the notification stays.
constexpr qint32 kServerDefaultExpiry = -1;

// Servers with body markup read "<" and "&" as tags and entities; a task called
// "Tom & Jerry <draft>" must still read as written.
QString escapeMarkup(QString text)
{
    text.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    text.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    text.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return text;
}

} // namespace

DBusNotificationClient::DBusNotificationClient(QObject *parent)
    : DBusNotificationClient(QDBusConnection::sessionBus(), kDefaultCallTimeout, parent)
{}

DBusNotificationClient::DBusNotificationClient(const QDBusConnection &bus,
                                               std::chrono::milliseconds callTimeout, QObject *parent)
    : QObject(parent), m_bus(std::make_unique<QDBusConnection>(bus)), m_callTimeout(callTimeout)
{
    if (!m_bus->isConnected())
        return;
    // A new server (a restart, or another desktop's daemon) numbers its notifications afresh:
    // an id kept from the old one could replace some other application's notification.
    auto *watcher = new QDBusServiceWatcher(kService, *m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &DBusNotificationClient::forgetServer);
    // No service name here: naming one makes QtDBus look up its owner with a blocking call.
    m_bus->connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                   SLOT(onNotificationClosed(uint, uint)));
}

DBusNotificationClient::~DBusNotificationClient() = default;

void DBusNotificationClient::show(const QString &key, const QString &title, const QString &body,
                                  bool defaultSound)
{
    if (!m_bus->isConnected())
        return;
    m_slots[key].waiting = Content{title, body, defaultSound};
    if (m_capabilities == Capabilities::Known) {
        send(key);
        return;
    }
    // Whether the body is read as markup decides how it is written, so the first notification
    // waits for the server's answer.
    if (!m_waitingForCapabilities.contains(key))
        m_waitingForCapabilities.append(key);
    askCapabilities();
}

QDBusPendingCallWatcher *DBusNotificationClient::watch(const QDBusMessage &call)
{
    return new QDBusPendingCallWatcher(m_bus->asyncCall(call, static_cast<int>(m_callTimeout.count())), this);
}

void DBusNotificationClient::askCapabilities()
{
    if (m_capabilities == Capabilities::Asking)
        return;
    m_capabilities = Capabilities::Asking;
    QDBusPendingCallWatcher *watcher =
        watch(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")));
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QStringList> reply = *call;
        // Without an answer there is most likely no server; ask again with the next notification.
        m_capabilities = reply.isError() ? Capabilities::Unknown : Capabilities::Known;
        m_bodyMarkup = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
        const QStringList keys = std::exchange(m_waitingForCapabilities, {});
        for (const QString &key : keys)
            send(key);
    });
}

void DBusNotificationClient::send(const QString &key)
{
    const auto found = m_slots.find(key);
    // One call per key at a time: the replaces_id of the next one is the answer to this one.
    if (found == m_slots.end() || found->inFlight || !found->waiting)
        return;
    const Content content = *std::exchange(found->waiting, std::nullopt);
    found->inFlight = true;

    QVariantMap hints;
    if (content.defaultSound)
        hints.insert(QStringLiteral("sound-name"), kDefaultSoundName);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << kAppName << found->shownId << QString() << content.title
         << (m_bodyMarkup ? escapeMarkup(content.body) : content.body) << QStringList() << hints
         << kServerDefaultExpiry;

    QDBusPendingCallWatcher *watcher = watch(call);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key, generation = m_generation](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<uint> reply = *answer;
                onNotifyAnswered(key, generation,
                                 reply.isError() ? std::nullopt : std::optional<uint>(reply.value()));
            });
}

void DBusNotificationClient::onNotifyAnswered(const QString &key, quint64 generation,
                                              std::optional<uint> serverId)
{
    const auto found = m_slots.find(key);
    if (found == m_slots.end())
        return;
    found->inFlight = false;
    if (generation == m_generation) {
        if (found->shownId != 0)
            m_keyByServerId.remove(found->shownId);
        // After a failed call nothing is known to be on screen under this key.
        found->shownId = serverId.value_or(0);
        if (found->shownId != 0)
            m_keyByServerId.insert(found->shownId, key);
    }
    if (found->waiting)
        send(key);
    else
        dropIfIdle(key);
}

void DBusNotificationClient::onNotificationClosed(uint serverId, uint /*reason*/)
{
    if (!m_keyByServerId.contains(serverId))
        return;
    const QString key = m_keyByServerId.take(serverId);
    const auto found = m_slots.find(key);
    if (found == m_slots.end() || found->shownId != serverId)
        return;
    found->shownId = 0;
    dropIfIdle(key);
}

void DBusNotificationClient::forgetServer()
{
    ++m_generation;
    m_keyByServerId.clear();
    m_capabilities = Capabilities::Unknown;
    for (auto it = m_slots.begin(); it != m_slots.end();) {
        it->shownId = 0;
        if (!it->inFlight && !it->waiting)
            it = m_slots.erase(it);
        else
            ++it;
    }
}

void DBusNotificationClient::dropIfIdle(const QString &key)
{
    const auto found = m_slots.find(key);
    if (found != m_slots.end() && found->shownId == 0 && !found->inFlight && !found->waiting)
        m_slots.erase(found);
}
