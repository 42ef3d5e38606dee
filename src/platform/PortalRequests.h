#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QVariantMap>

#include <functional>

// Calls to one interface of the desktop portal whose methods answer later, through a request
// object's Response signal. Each call listens on the path the portal will give its request before
// asking, so the answer cannot arrive first.
class PortalRequests final : public QObject
{
    Q_OBJECT

public:
    static inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

    // 0 is success, 1 the user cancelled, 2 anything else (also a call the portal refused).
    using Answer = std::function<void(uint response, const QVariantMap &results)>;

    PortalRequests(QDBusConnection bus, QString interface, QObject *parent = nullptr);

    // Whether the session bus has a desktop portal or can start one. Asks only the bus, so a
    // portal that is still to be started does not hold up the caller.
    static bool isOffered(const QDBusConnection &bus);

    // A session handle from a portal's results: an object path or, from some portals, a string.
    static QString handle(const QVariant &value);

    // Calls `method` with `arguments` and then `options`, which gain the request's token.
    void call(const QString &method, QVariantList arguments, QVariantMap options, Answer answer);
    // Calls a method that answers at once; errors go to the log. `answered` runs once the
    // portal has answered or failed.
    void notify(const QString &method, const QVariantList &arguments, std::function<void()> answered);
    // Closes a session the portal opened.
    void closeSession(const QString &session);

    QDBusConnection &bus() { return m_bus; }

private slots:
    void onResponse(uint response, const QVariantMap &results, const QDBusMessage &message);

private:
    // Sends a method call; `answered` learns whether the portal refused it.
    void send(const QString &method, const QVariantList &arguments,
              std::function<void(bool refused)> answered);
    void finish(const QString &path, uint response, const QVariantMap &results);

    QDBusConnection m_bus;
    QString m_interface;
    QHash<QString, Answer> m_pending;
    int m_tokens = 0;
};
