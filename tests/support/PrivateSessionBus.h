#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own: a dbus-daemon that reads service files only from
// `serviceFolder` (none when empty), so nothing on the machine is ever activated on it and no
// outside session bus is needed.
class PrivateSessionBus
{
public:
    // Who may connect: the test's own user, or also (for programs a compositor runs) the
    // unprivileged user of UnprivilegedUser.h.
    enum class Access { ThisUser, EveryUser };
    // serviceFolder: where the bus finds .service files to start programs on demand.
    explicit PrivateSessionBus(Access access = Access::ThisUser, const QString &serviceFolder = {});
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    // Empty when the daemon did not start; what went wrong is in errorString().
    QString address() const { return m_address; }
    QString errorString() const { return m_error; }

    // A new connection of its own (a distinct client on the bus), closed when the bus goes.
    QDBusConnection connect();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_error;
    QStringList m_connectionNames;
};
