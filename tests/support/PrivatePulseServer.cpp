#include "support/PrivatePulseServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>

using namespace Qt::StringLiterals;

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
    if (!m_dir.isValid() || !QDir().mkdir(m_runtimeDir) ||
        !QFile::setPermissions(m_runtimeDir,
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        m_error = u"cannot make the server's folders"_s;
        return false;
    }
    QString script = QStringLiteral("load-module module-native-protocol-unix auth-anonymous=1\n"
                                    "load-module module-null-sink sink_name=out\n");
    if (m_options.withMicrophone)
        script += QStringLiteral("load-module module-pipe-source source_name=mic file=%1 format=s16le "
                                 "rate=%2 channels=%3\n"
                                 "set-default-source mic\n")
                      .arg(m_dir.filePath(u"mic.fifo"_s))
                      .arg(m_options.sampleRate)
                      .arg(m_options.channels);
    QFile scriptFile(m_dir.filePath(u"server.pa"_s));
    if (!scriptFile.open(QIODevice::WriteOnly) || scriptFile.write(script.toUtf8()) < 0) {
        m_error = u"cannot write the server's script"_s;
        return false;
    }
    scriptFile.close();

    // Everything the daemon keeps goes into the temporary folder; no session bus or display is
    // looked for, so none is started either.
    QProcessEnvironment daemonEnvironment = QProcessEnvironment::systemEnvironment();
    for (const auto *name : {"DISPLAY", "WAYLAND_DISPLAY", "PULSE_SERVER", "PULSE_COOKIE"})
        daemonEnvironment.remove(QString::fromLatin1(name));
    daemonEnvironment.insert(u"HOME"_s, m_dir.path());
    daemonEnvironment.insert(u"XDG_RUNTIME_DIR"_s, m_runtimeDir);
    daemonEnvironment.insert(u"XDG_CONFIG_HOME"_s, m_dir.filePath(u"config"_s));
    daemonEnvironment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + m_dir.filePath(u"no-bus"_s));
    m_daemon.setProcessEnvironment(daemonEnvironment);
    const QString logPath = m_dir.filePath(u"server.log"_s);
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.setStandardOutputFile(logPath);
    m_daemon.start(u"pulseaudio"_s,
                   {u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"-n"_s,
                    u"--file="_s + scriptFile.fileName(), u"--use-pid-file=false"_s, u"--realtime=false"_s,
                    u"--high-priority=false"_s, u"--log-target=stderr"_s, u"--log-level=error"_s});
    if (!m_daemon.waitForStarted(5000)) {
        m_error =
            u"pulseaudio did not start (is the pulseaudio package installed?): "_s + m_daemon.errorString();
        return false;
    }

    // The server runs its script before it accepts clients, so the first answer means ready.
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QProcess probe;
        probe.setProcessEnvironment(environment());
        probe.start(u"pactl"_s, {u"info"_s});
        if (probe.waitForFinished(3000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return true;
        if (m_daemon.state() != QProcess::Running) {
            QFile log(logPath);
            log.open(QIODevice::ReadOnly);
            m_error = u"pulseaudio ended: "_s + QString::fromLocal8Bit(log.readAll());
            return false;
        }
        QThread::msleep(50);
    }
    m_error = u"pulseaudio did not answer within 10 s"_s;
    return false;
}

QString PrivatePulseServer::serverAddress() const
{
    return u"unix:"_s + m_runtimeDir + u"/pulse/native"_s;
}

QProcessEnvironment PrivatePulseServer::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PULSE_SERVER"_s, serverAddress());
    return environment;
}

bool PrivatePulseServer::feedFile(const QString &path)
{
    QProcess sox;
    sox.start(u"sox"_s, {u"-D"_s, path, u"-t"_s, u"raw"_s, u"-r"_s, QString::number(m_options.sampleRate),
                         u"-c"_s, QString::number(m_options.channels), u"-b"_s, u"16"_s, u"-e"_s,
                         u"signed-integer"_s, u"-L"_s, u"-"_s});
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

    const int fd = ::open(QFile::encodeName(m_dir.filePath(u"mic.fifo"_s)).constData(),
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
