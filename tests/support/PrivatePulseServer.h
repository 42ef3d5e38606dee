#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>
#include <thread>

struct PrivatePulseOptions
{
    // The microphone's format; its sound is written into a pipe as signed 16-bit samples.
    int sampleRate = 16000;
    int channels = 1;
    // Without it the server only has an output, whose monitor is its default source.
    bool withMicrophone = true;
};

// A PulseAudio server of the test's own: no sound card, no D-Bus, no desktop session, and it
// runs as root. Its default source "mic" plays what the test feeds it. The pipe is kept fed in
// real time — queued sound first, zeros when nothing is queued — because the pipe source only
// produces audio while something writes.
class PrivatePulseServer
{
public:
    explicit PrivatePulseServer(PrivatePulseOptions options = {});
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer &) = delete;
    PrivatePulseServer &operator=(const PrivatePulseServer &) = delete;

    bool isRunning() const { return m_daemon.state() == QProcess::Running && m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // As PULSE_SERVER takes it: "unix:/…/pulse/native".
    QString serverAddress() const;
    // The system environment with PULSE_SERVER pointing here, for a child process.
    QProcessEnvironment environment() const;
    qint64 processId() const { return m_daemon.processId(); }

    // Queues a recording (anything sox reads), converted to the microphone's format.
    bool feedFile(const QString &path);
    // Queues interleaved signed 16-bit little-endian frames in the microphone's format.
    void feedRaw(const QByteArray &s16le);
    void feedSilence(double seconds);
    // Waits until everything queued has gone into the pipe; false on time-out or a dead server.
    bool waitUntilFed(int timeoutMs = 30000);

    // Ends the server at once, as a crash would.
    void kill();

private:
    bool startDaemon();
    void feed();

    PrivatePulseOptions m_options;
    QTemporaryDir m_dir;
    const QString m_runtimeDir = m_dir.filePath(QStringLiteral("run"));
    QProcess m_daemon;
    QString m_error;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QByteArray m_queue;
    bool m_stopFeeding = false;
    bool m_feedFailed = false;
    std::thread m_feeder;
};
