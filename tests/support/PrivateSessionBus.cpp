#include "support/PrivateSessionBus.h"

#include "support/UnprivilegedUser.h"

#include <QFile>

#include <atomic>

namespace {

// The stock session policy without <standard_session_servicedirs/>.
constexpr auto kConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  %3
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>%2
  </policy>
</busconfig>
)";

} // namespace

PrivateSessionBus::PrivateSessionBus(Access access, const QString &serviceFolder)
{
    const QString configPath = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!m_dir.isValid() || !config.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write the bus configuration");
        return;
    }
    const bool everyone = access == Access::EveryUser;
    const QString services = serviceFolder.isEmpty() ? QString()
                                                     : QStringLiteral("<servicedir>") + serviceFolder +
                                                           QStringLiteral("</servicedir>");
    config.write(
        QString::fromLatin1(kConfig)
            .arg(m_dir.path(), everyone ? QStringLiteral("\n    <allow user=\"*\"/>") : QString(), services)
            .toUtf8());
    config.close();
    if (everyone) {
        QFile::setPermissions(m_dir.path(),
                              QFile::permissions(m_dir.path()) | QFile::ExeOther | QFile::ExeGroup);
        // The daemon looks up who connects: the unprivileged user has no account of its own.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : userLookupEnvironment(m_dir.path()))
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        m_daemon.setProcessEnvironment(environment);
    }

    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + configPath, QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(5000)) {
        m_error = QStringLiteral("dbus-daemon did not start (is the dbus package installed?): ") +
                  m_daemon.errorString();
        return;
    }
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty())
        m_error = QStringLiteral("dbus-daemon printed no address: ") +
                  QString::fromLocal8Bit(m_daemon.readAllStandardError());
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (const QString &name : std::as_const(m_connectionNames))
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000)) {
        m_daemon.kill();
        m_daemon.waitForFinished(3000);
    }
}

QDBusConnection PrivateSessionBus::connect()
{
    static std::atomic<int> counter = 0;
    const QString name = QStringLiteral("dictrava-test-bus-") + QString::number(++counter);
    m_connectionNames.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}
