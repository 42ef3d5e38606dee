#include "support/PrivateWaylandCompositor.h"

#include "support/UnprivilegedUser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool handOver(const QString &path, uint uid, mode_t mode)
{
    return chown(QFile::encodeName(path).constData(), uid, uid) == 0 &&
           chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

PrivateWaylandCompositor::PrivateWaylandCompositor(const QStringList &configLines,
                                                   const QProcessEnvironment &session)
    : m_session(session)
{
    if (QStandardPaths::findExecutable(u"sway"_qs).isEmpty()) {
        m_error = u"sway is not installed (scripts/setup.sh installs it)"_qs;
        return;
    }
    m_uid = unprivilegedUserId();
    const QString home = m_dir.filePath(u"home"_qs);
    m_runtimeDir = m_dir.filePath(u"run"_qs);
    QDir().mkpath(home);
    QDir().mkpath(m_runtimeDir);
    QFile config(m_dir.filePath(u"config"_qs));
    if (!config.open(QIODevice::WriteOnly)) {
        m_error = u"cannot write the compositor's configuration"_qs;
        return;
    }
    config.write("output HEADLESS-1 resolution 1280x800 position 0 0\n");
    for (const QString &line : configLines)
        config.write(line.toUtf8() + '\n');
    config.close();
    if (chmod(QFile::encodeName(m_dir.path()).constData(), 0755) != 0 || !handOver(home, m_uid, 0700) ||
        !handOver(m_runtimeDir, m_uid, 0700) ||
        chmod(QFile::encodeName(config.fileName()).constData(), 0644) != 0) {
        m_error = u"cannot hand the compositor's folders to its user"_qs;
        return;
    }

    m_sway.setProcessEnvironment(userEnvironment());
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command = asUser(u"sway"_qs, {u"-c"_qs, config.fileName()});
    m_sway.start(command.first(), command.mid(1));
    const QDeadlineTimer patience(15000);
    while (!patience.hasExpired() && m_sway.state() != QProcess::NotRunning) {
        const QStringList sockets = QDir(m_runtimeDir).entryList({u"wayland-*"_qs}, QDir::System);
        for (const QString &name : sockets) {
            if (!name.endsWith(u".lock"_qs)) {
                m_socket = QFile::encodeName(QDir(m_runtimeDir).filePath(name));
                return;
            }
        }
        m_sway.waitForFinished(50);
    }
    m_error = u"sway did not start: "_qs + QString::fromLocal8Bit(m_sway.readAll().right(2000));
}

PrivateWaylandCompositor::~PrivateWaylandCompositor()
{
    m_sway.terminate();
    if (!m_sway.waitForFinished(5000))
        m_sway.kill();
    m_sway.waitForFinished(1000);
}

QProcessEnvironment PrivateWaylandCompositor::userEnvironment() const
{
    QProcessEnvironment environment = m_session;
    environment.insert(u"PATH"_qs, qEnvironmentVariable("PATH", u"/usr/bin:/bin"_qs));
    environment.insert(u"HOME"_qs, m_dir.filePath(u"home"_qs));
    environment.insert(u"XDG_RUNTIME_DIR"_qs, m_runtimeDir);
    environment.insert(u"LC_ALL"_qs, u"C.UTF-8"_qs);
    environment.insert(u"WLR_BACKENDS"_qs, u"headless"_qs);
    environment.insert(u"WLR_LIBINPUT_NO_DEVICES"_qs, u"1"_qs);
    environment.insert(u"WLR_RENDERER"_qs, u"pixman"_qs);
    if (!m_socket.isEmpty())
        environment.insert(u"WAYLAND_DISPLAY"_qs, QString::fromLocal8Bit(m_socket));
    return environment;
}

QProcessEnvironment PrivateWaylandCompositor::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_qs);
    environment.insert(u"WAYLAND_DISPLAY"_qs, QString::fromLocal8Bit(m_socket));
    environment.insert(u"XDG_RUNTIME_DIR"_qs, m_runtimeDir);
    environment.insert(u"XDG_SESSION_TYPE"_qs, u"wayland"_qs);
    environment.insert(u"QT_QPA_PLATFORM"_qs, u"wayland"_qs);
    environment.insert(u"GDK_BACKEND"_qs, u"wayland"_qs);
    environment.insert(u"NO_AT_BRIDGE"_qs, u"1"_qs);
    environment.insert(u"GSETTINGS_BACKEND"_qs, u"memory"_qs);
    return environment;
}

QStringList PrivateWaylandCompositor::asUser(const QString &program, const QStringList &arguments) const
{
    if (geteuid() != 0)
        return QStringList{program} + arguments;
    const QString id = QString::number(m_uid);
    return QStringList{u"setpriv"_qs, u"--reuid="_qs + id, u"--regid="_qs + id, u"--clear-groups"_qs,
                       program} +
           arguments;
}

int PrivateWaylandCompositor::run(const QString &program, const QStringList &arguments,
                                  QByteArray *output) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    // The tool may read the clipboard from this very process, which must go on answering.
    const QDeadlineTimer patience(15000);
    while (!process.waitForFinished(10)) {
        if (patience.hasExpired() || process.state() == QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(1000);
            return -1;
        }
        QCoreApplication::processEvents();
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
