#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

class QDBusConnection;
class QDBusMessage;
class QDBusPendingCallWatcher;

// Shows notifications on the desktop through the freedesktop Notifications service
// (org.freedesktop.Notifications) on a D-Bus connection. Every call is asynchronous: a desktop
// without a notification server, or with one that hangs, never stalls the caller, and failures
// are dropped without a word.
//
// Each notification is shown under a key of the caller's choosing. Showing again under the same
// key replaces the one on screen, as long as the server still has it.
class DBusNotificationClient : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultCallTimeout{10000};

    // On the user's session bus.
    explicit DBusNotificationClient(QObject *parent = nullptr);
    DBusNotificationClient(const QDBusConnection &bus, std::chrono::milliseconds callTimeout,
                           QObject *parent = nullptr);
    ~DBusNotificationClient() override;

    void show(const QString &key, const QString &title, const QString &body, bool defaultSound);

private slots:
    void onNotificationClosed(uint serverId, uint reason);

private:
    struct Content
    {
        QString title;
        QString body;
        bool defaultSound = true;
    };
    // What is known about one key: the server's id of what is on screen, the call on its way,
    // and the newest content that waits for that call to come back.
    struct Slot
    {
        uint shownId = 0;
        bool inFlight = false;
        std::optional<Content> waiting;
    };
    enum class Capabilities { Unknown, Asking, Known };

    void askCapabilities();
    void send(const QString &key);
    void onNotifyAnswered(const QString &key, quint64 generation, std::optional<uint> serverId);
    void forgetServer();
    void dropIfIdle(const QString &key);
    QDBusPendingCallWatcher *watch(const QDBusMessage &call);

    std::unique_ptr<QDBusConnection> m_bus;
    std::chrono::milliseconds m_callTimeout;
    QHash<QString, Slot> m_slots;
    QHash<uint, QString> m_keyByServerId;
    Capabilities m_capabilities = Capabilities::Unknown;
    bool m_bodyMarkup = false;
    QStringList m_waitingForCapabilities; // in the order shown
    // Server ids belong to one server process; answers from an earlier one are not used.
    quint64 m_generation = 0;
};
