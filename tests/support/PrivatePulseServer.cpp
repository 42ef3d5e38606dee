#include "support/PrivatePulseServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>

namespace {

QString runtimeDir(const QTemporaryDir &dir)
{
    return dir.filePath(QStringLiteral("run"));
}

} // namespace

PrivatePulseServer::PrivatePulseServer(PrivatePulseOptions options) : m_options(options)
{
    // Writing into the pipe of a server that has died must fail with EPIPE, not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    if (!startDaemon()) {
        kill();
        return;
    }
    if (m_options.withMicrophone)
        m_feeder = std::thread([this] { feed(); });
}

PrivatePulseServer::~PrivatePulseServer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopFeeding = true;
    }
    m_changed.notify_all();
    if (m_feeder.joinable())
        m_feeder.join();
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000))
        kill();
}

bool PrivatePulseServer::startDaemon()
{
    if (!m_dir.isValid() || !QDir().mkdir(runtimeDir(m_dir)) ||
        !QFile::setPermissions(runtimeDir(m_dir),
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        m_error = QStringLiteral("cannot make the server's folders");
        return false;
    }
    QString script = QStringLiteral("load-module module-native-protocol-unix auth-anonymous=1\n"
                                    "load-module module-null-sink sink_name=out\n");
    if (m_options.withMicrophone)
        script += QStringLiteral("load-module module-pipe-source source_name=mic file=%1 format=s16le "
                                 "rate=%2 channels=%3\n"
                                 "set-default-source mic\n")
                      .arg(m_dir.filePath(QStringLiteral("mic.fifo")))
                      .arg(m_options.sampleRate)
                      .arg(m_options.channels);
    QFile scriptFile(m_dir.filePath(QStringLiteral("server.pa")));
    if (!scriptFile.open(QIODevice::WriteOnly) || scriptFile.write(script.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the server's script");
        return false;
    }
    scriptFile.close();

    // Everything the daemon keeps goes into the temporary folder; no session bus or display is
    // looked for, so none is started either.
    QProcessEnvironment daemonEnvironment = QProcessEnvironment::systemEnvironment();
    for (const auto *name : {"DISPLAY", "WAYLAND_DISPLAY", "PULSE_SERVER", "PULSE_COOKIE"})
        daemonEnvironment.remove(QString::fromLatin1(name));
    daemonEnvironment.insert(QStringLiteral("HOME"), m_dir.path());
    daemonEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir(m_dir));
    daemonEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    daemonEnvironment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                             QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-bus")));
    m_daemon.setProcessEnvironment(daemonEnvironment);
    const QString logPath = m_dir.filePath(QStringLiteral("server.log"));
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.setStandardOutputFile(logPath);
    m_daemon.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("-n"), QStringLiteral("--file=") + scriptFile.fileName(),
                    QStringLiteral("--use-pid-file=false"), QStringLiteral("--realtime=false"),
                    QStringLiteral("--high-priority=false"), QStringLiteral("--log-target=stderr"),
                    QStringLiteral("--log-level=error")});
    if (!m_daemon.waitForStarted(5000)) {
        m_error = QStringLiteral("pulseaudio did not start (is the pulseaudio package installed?): ") +
                  m_daemon.errorString();
        return false;
    }

    // The server runs its script before it accepts clients, so the first answer means ready.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QProcess probe;
        probe.setProcessEnvironment(environment());
        probe.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        if (probe.waitForFinished(3000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return true;
        if (m_daemon.state() != QProcess::Running) {
            QFile log(logPath);
            log.open(QIODevice::ReadOnly);
            m_error = QStringLiteral("pulseaudio ended: ") + QString::fromLocal8Bit(log.readAll());
            return false;
        }
        QThread::msleep(50);
    }
    m_error = QStringLiteral("pulseaudio did not answer within 10 s");
    return false;
}

QString PrivatePulseServer::serverAddress() const
{
    return QStringLiteral("unix:") + runtimeDir(m_dir) + QStringLiteral("/pulse/native");
}

QProcessEnvironment PrivatePulseServer::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"), serverAddress());
    return environment;
}

bool PrivatePulseServer::feedFile(const QString &path)
{
    QProcess sox;
    sox.start(QStringLiteral("sox"),
              {QStringLiteral("-D"), path, QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-r"),
               QString::number(m_options.sampleRate), QStringLiteral("-c"),
               QString::number(m_options.channels), QStringLiteral("-b"), QStringLiteral("16"),
               QStringLiteral("-e"), QStringLiteral("signed-integer"), QStringLiteral("-L"),
               QStringLiteral("-")});
    if (!sox.waitForFinished(30000) || sox.exitStatus() != QProcess::NormalExit || sox.exitCode() != 0)
        return false;
    feedRaw(sox.readAllStandardOutput());
    return true;
}

void PrivatePulseServer::feedRaw(const QByteArray &s16le)
{
    const qsizetype frameBytes = 2 * m_options.channels;
    {
        const std::lock_guard lock(m_mutex);
        m_queue.append(s16le.left(s16le.size() / frameBytes * frameBytes));
    }
    m_changed.notify_all();
}

void PrivatePulseServer::feedSilence(double seconds)
{
    feedRaw(QByteArray(qsizetype(seconds * m_options.sampleRate) * 2 * m_options.channels, '\0'));
}

bool PrivatePulseServer::waitUntilFed(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return m_queue.isEmpty() || m_feedFailed;
    }) && !m_feedFailed;
}

void PrivatePulseServer::kill()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.kill();
    m_daemon.waitForFinished(3000);
}

void PrivatePulseServer::feed()
{
    using Clock = std::chrono::steady_clock;
    const int frameBytes = 2 * m_options.channels;
    const double bytesPerSecond = double(m_options.sampleRate) * frameBytes;
    // Writes up to PIPE_BUF bytes are all-or-nothing, so dropped zeros never split a frame.
    const qsizetype chunkBytes = PIPE_BUF / frameBytes * frameBytes;
    const QByteArray zeros(chunkBytes, '\0');

    const int fd = ::open(QFile::encodeName(m_dir.filePath(QStringLiteral("mic.fifo"))).constData(),
                          O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const auto startedAt = Clock::now();
    qint64 accounted = 0;
    std::unique_lock lock(m_mutex);
    bool failed = fd < 0;
    while (!failed && !m_stopFeeding) {
        m_changed.wait_for(lock, std::chrono::milliseconds(10), [this] { return m_stopFeeding; });
        const double elapsed = std::chrono::duration<double>(Clock::now() - startedAt).count();
        const qint64 due = qint64(elapsed * bytesPerSecond) / frameBytes * frameBytes;
        qint64 budget = due - accounted;
        accounted = due;
        while (budget > 0) {
            // Queued sound waits while the pipe is full; zeros that do not fit are dropped.
            const bool sound = !m_queue.isEmpty();
            const qsizetype length =
                qMin<qint64>(budget, qMin(chunkBytes, sound ? m_queue.size() : chunkBytes));
            const ssize_t written =
                ::write(fd, sound ? m_queue.constData() : zeros.constData(), size_t(length));
            if (written < 0) {
                failed = errno != EAGAIN && errno != EINTR;
                break;
            }
            if (sound)
                m_queue.remove(0, written);
            budget -= written;
        }
        if (m_queue.isEmpty() || failed)
            m_changed.notify_all();
    }
    m_feedFailed = true;
    m_changed.notify_all();
    if (fd >= 0)
        ::close(fd);
}
