#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

// A small org.freedesktop.Notifications server that keeps what it is sent. It numbers
// notifications from 1 like a real daemon and honours replaces_id for ids it still shows.
class TestNotificationServer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Received
    {
        QString appName;
        uint replacesId = 0;
        QString summary;
        QString body;
        QVariantMap hints;
        int expireTimeout = 0;
        uint id = 0; // what the server answered
    };

    explicit TestNotificationServer(QStringList capabilities = {QStringLiteral("body"),
                                                                QStringLiteral("body-markup")});

    // Takes the service name and the object path on the bus; false when the name is taken.
    bool registerOn(const QDBusConnection &bus);
    void unregister();

    // While holding, Notify calls are recorded but left unanswered, like a server that hangs.
    void holdReplies(bool hold) { m_holding = hold; }
    void releaseHeldReplies();
    // What a user's click on the close button does.
    void dismiss(uint id);

    QList<Received> received;

public slots: // the D-Bus methods
    QStringList GetCapabilities();
    uint Notify(const QString &app_name, uint replaces_id, const QString &app_icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints,
                int expire_timeout);

signals:
    void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    QStringList m_capabilities;
    QSet<uint> m_open;
    uint m_lastId = 0;
    bool m_holding = false;
    QList<QDBusMessage> m_heldReplies;
};
