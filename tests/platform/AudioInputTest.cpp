#include "platform/PulseAudioInput.h"
#include "platform/WavFileInput.h"
#include "support/PrivatePulseServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>
#include <thread>

Q_DECLARE_METATYPE(WavFileInput::Pacing)

using namespace std::chrono_literals;

namespace {

struct Delivered
{
    std::vector<float> samples;
    std::vector<size_t> bufferSizes;
    bool onCallerThread = false;
    std::optional<QString> endReason;
    size_t buffersBeforeEnd = 0;
};

// What an input hands over, gathered from its thread. With `stopAtBuffer` the handler itself
// stops the input when that buffer arrives.
class Recording
{
public:
    explicit Recording(AudioInput &input, size_t stopAtBuffer = 0)
        : m_input(input), m_stopAtBuffer(stopAtBuffer)
    {
        input.onEnded = [this](const QString &reason) {
            const std::lock_guard lock(m_mutex);
            m_delivered.endReason = reason;
            m_changed.notify_all();
        };
    }
    // Nothing may be delivered into a recording that is gone.
    ~Recording() { m_input.stop(); }

    AudioInput::BufferHandler handler()
    {
        const auto caller = std::this_thread::get_id();
        return [this, caller](std::span<const float> buffer) {
            size_t count = 0;
            {
                const std::lock_guard lock(m_mutex);
                Delivered &d = m_delivered;
                d.samples.insert(d.samples.end(), buffer.begin(), buffer.end());
                d.bufferSizes.push_back(buffer.size());
                d.onCallerThread |= std::this_thread::get_id() == caller;
                d.buffersBeforeEnd += d.endReason ? 0 : 1;
                count = d.bufferSizes.size();
            }
            m_changed.notify_all();
            if (count == m_stopAtBuffer)
                m_input.stop();
        };
    }

    bool waitFor(const std::function<bool(const Delivered &)> &condition, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return condition(m_delivered); });
    }
    bool waitForEnd(std::chrono::milliseconds timeout)
    {
        return waitFor([](const Delivered &d) { return d.endReason.has_value(); }, timeout);
    }
    Delivered snapshot() const
    {
        const std::lock_guard lock(m_mutex);
        return m_delivered;
    }

private:
    AudioInput &m_input;
    const size_t m_stopAtBuffer;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Delivered m_delivered;
};

struct ToneStats
{
    double rms = 0;
    double mean = 0;
    double frequency = 0; // from rising zero crossings
};

ToneStats analyse(std::span<const float> samples, double sampleRate)
{
    ToneStats stats;
    int rising = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        stats.rms += double(samples[i]) * samples[i];
        stats.mean += samples[i];
        rising += i > 0 && samples[i - 1] < 0 && samples[i] >= 0 ? 1 : 0;
    }
    const double n = std::max<double>(1, double(samples.size()));
    return {std::sqrt(stats.rms / n), stats.mean / n, rising * sampleRate / n};
}

// A 440 Hz sine of amplitude 0.5 (1000 Hz in a stereo file's channel 1).
void verifyTone(std::span<const float> samples, double sampleRate)
{
    const ToneStats stats = analyse(samples, sampleRate);
    QVERIFY2(std::fabs(stats.rms - 0.5 / std::sqrt(2.0)) < 0.01, qPrintable(QString::number(stats.rms)));
    QVERIFY2(std::fabs(stats.mean) < 0.01, qPrintable(QString::number(stats.mean)));
    QVERIFY2(std::fabs(stats.frequency - 440) < 3, qPrintable(QString::number(stats.frequency)));
}

// Runs sox with `commandLine`, in which %1 stands for `path`.
bool runSox(const QString &commandLine, const QString &path)
{
    QStringList arguments{QStringLiteral("-D")};
    for (const QString &argument : commandLine.split(QLatin1Char(' ')))
        arguments << (argument == QStringLiteral("%1") ? path : argument);
    QProcess sox;
    sox.start(QStringLiteral("sox"), arguments);
    return sox.waitForFinished(20000) && sox.exitStatus() == QProcess::NormalExit && sox.exitCode() == 0;
}

QString makeTone(const QTemporaryDir &dir, int rate, double seconds)
{
    const QString path = dir.filePath(QStringLiteral("tone-%1-%2.wav").arg(rate).arg(seconds));
    const QString command = QStringLiteral("-n -r %1 -c 1 -b 16 %2 synth %3 sine 440 vol 0.5");
    return runSox(command.arg(QString::number(rate), QStringLiteral("%1"), QString::number(seconds)), path)
               ? path
               : QString();
}

// The loud stretch among the silence around it; empty until enough quiet has followed it.
std::span<const float> loudPart(const std::vector<float> &samples, size_t quietAfter)
{
    const auto isLoud = [](float sample) { return std::fabs(sample) > 0.05f; };
    const auto first = std::find_if(samples.begin(), samples.end(), isLoud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), isLoud);
    if (first == samples.end() || size_t(last - samples.rbegin()) < quietAfter)
        return {};
    return {&*first, size_t(last.base() - first)};
}

} // namespace

class AudioInputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void wavFile_data();
    void wavFile();
    void wavFilePacing_data();
    void wavFilePacing();
    void stop_data();
    void stop();
    void pulseCapturesTheSource_data();
    void pulseCapturesTheSource();
    void pulseWithoutMicrophone_data();
    void pulseWithoutMicrophone();
    void pulseServerGoesAway();

private:
    QTemporaryDir m_dir;
};

void AudioInputTest::wavFile_data()
{
    QTest::addColumn<QString>("sox"); // makes the file %1; when empty, `literal` is the file
    QTest::addColumn<QByteArray>("literal");
    QTest::addColumn<qint64>("truncateTo");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<qint64>("frames"); // -1: the file cannot be read

    // Channel 1 of a stereo file gets the second sine.
    const auto tone = [](const char *format) -> QString {
        const QString sines = QString::fromLatin1(format).contains(QStringLiteral("-c 2"))
                                  ? QStringLiteral("sine 440 sine 1000")
                                  : QStringLiteral("sine 440");
        return QString::fromLatin1(format) + QStringLiteral(" %1 synth 1 ") + sines +
               QStringLiteral(" vol 0.5");
    };
    QTest::newRow("16 kHz") << tone("-n -r 16000 -c 1 -b 16 -t wav") << QByteArray() << -1LL << 16000.0 << 1
                            << 16000LL;
    QTest::newRow("8 kHz") << tone("-n -r 8000 -c 1 -b 16 -t wav") << QByteArray() << -1LL << 8000.0 << 1
                           << 8000LL;
    QTest::newRow("96 kHz, 24-bit") << tone("-n -r 96000 -c 1 -b 24 -t wav") << QByteArray() << -1LL
                                    << 96000.0 << 1 << 96000LL;
    QTest::newRow("stereo: channel 0 only")
        << tone("-n -r 48000 -c 2 -b 16 -t wav") << QByteArray() << -1LL << 48000.0 << 2 << 48000LL;
    QTest::newRow("8-bit") << tone("-n -r 16000 -c 1 -b 8 -e unsigned -t wav") << QByteArray() << -1LL
                           << 16000.0 << 1 << 16000LL;
    QTest::newRow("FLAC") << tone("-n -r 44100 -c 1 -b 16 -t flac") << QByteArray() << -1LL << 44100.0 << 1
                          << 44100LL;
    QTest::newRow("no samples") << QStringLiteral("-n -r 16000 -c 1 -b 16 -t wav %1 trim 0 0") << QByteArray()
                                << -1LL << 16000.0 << 1 << 0LL;
    // The header promises a second; the file holds 1000 frames, and those are played.
    QTest::newRow("truncated in the samples")
        << tone("-n -r 16000 -c 1 -b 16 -t wav") << QByteArray() << 2044LL << 16000.0 << 1 << 1000LL;
    QTest::newRow("truncated in the header")
        << tone("-n -r 16000 -c 1 -b 16 -t wav") << QByteArray() << 20LL << 0.0 << 0 << -1LL;
    QTest::newRow("empty file") << QString() << QByteArray() << -1LL << 0.0 << 0 << -1LL;
    QTest::newRow("not audio") << QString() << QByteArrayLiteral("Dear diary, nothing happened today.\n")
                               << -1LL << 0.0 << 0 << -1LL;
}

void AudioInputTest::wavFile()
{
    QFETCH(QString, sox);
    QFETCH(QByteArray, literal);
    QFETCH(qint64, truncateTo);
    QFETCH(double, rate);
    QFETCH(int, channels);
    QFETCH(qint64, frames);

    const QString path =
        m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), u'_'));
    if (sox.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(literal) == literal.size());
    } else {
        QVERIFY(runSox(sox, path));
    }
    if (truncateTo >= 0)
        QVERIFY(QFile::resize(path, truncateTo));

    WavFileInput input(path);
    Recording recording(input);
    const AudioFormat format = input.format();
    QCOMPARE(format.sampleRate, rate);
    QCOMPARE(format.channels, channels);
    const std::optional<QString> error = input.start(recording.handler());

    if (frames < 0) {
        QVERIFY(error);
        QVERIFY2(error->startsWith(QStringLiteral("Cannot read “%1”: ").arg(path)) && !error->endsWith(u' '),
                 qPrintable(*error));
        QCOMPARE(input.errorString(), *error);
        QVERIFY(!recording.waitForEnd(100ms));
        return;
    }
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QVERIFY(recording.waitForEnd(10s));
    const Delivered delivered = recording.snapshot();
    QCOMPARE(*delivered.endReason, QStringLiteral("end of file"));
    QCOMPARE(qint64(delivered.samples.size()), frames);
    QCOMPARE(delivered.buffersBeforeEnd, delivered.bufferSizes.size());
    QVERIFY(!delivered.onCallerThread);
    for (size_t i = 0; i + 1 < delivered.bufferSizes.size(); ++i)
        QCOMPARE(delivered.bufferSizes[i], size_t(2048));
    if (frames >= rate / 2)
        verifyTone(delivered.samples, rate);
}

void AudioInputTest::wavFilePacing_data()
{
    QTest::addColumn<WavFileInput::Pacing>("pacing");
    QTest::addColumn<int>("minimumMs");
    QTest::addColumn<int>("maximumMs");
    QTest::newRow("as fast as possible") << WavFileInput::Pacing::AsFastAsPossible << 0 << 400;
    QTest::newRow("real time") << WavFileInput::Pacing::RealTime << 590 << 1200;
}

void AudioInputTest::wavFilePacing()
{
    QFETCH(WavFileInput::Pacing, pacing);
    QFETCH(int, minimumMs);
    QFETCH(int, maximumMs);
    const QString path = makeTone(m_dir, 16000, 0.6);
    QVERIFY(!path.isEmpty());

    WavFileInput input(path, pacing);
    Recording recording(input);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!input.start(recording.handler()));
    QVERIFY(recording.waitForEnd(5s));
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= minimumMs && elapsed <= maximumMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(recording.snapshot().samples.size(), size_t(9600));
}

void AudioInputTest::stop_data()
{
    QTest::addColumn<bool>("microphone");
    QTest::addColumn<bool>("fromHandler");
    QTest::newRow("file, from the caller") << false << false;
    QTest::newRow("file, from the buffer handler") << false << true;
    QTest::newRow("microphone, from the caller") << true << false;
    QTest::newRow("microphone, from the buffer handler") << true << true;
}

// Stopping ends delivery for good, from any thread, without waiting on the input's own thread.
void AudioInputTest::stop()
{
    QFETCH(bool, microphone);
    QFETCH(bool, fromHandler);

    std::unique_ptr<PrivatePulseServer> server;
    std::unique_ptr<AudioInput> input;
    if (microphone) {
        server = std::make_unique<PrivatePulseServer>();
        QVERIFY2(server->isRunning(), qPrintable(server->errorString()));
        input = std::make_unique<PulseAudioInput>(server->serverAddress());
        QCOMPARE(input->format().sampleRate, 16000.0);
    } else {
        const QString path = makeTone(m_dir, 16000, 5);
        QVERIFY(!path.isEmpty());
        input = std::make_unique<WavFileInput>(path, WavFileInput::Pacing::RealTime);
    }

    Recording recording(*input, fromHandler ? 2 : 0);
    QVERIFY(!input->start(recording.handler()));
    QVERIFY(recording.waitFor([](const Delivered &d) { return d.bufferSizes.size() >= 2; }, 5s));
    QElapsedTimer timer;
    timer.start();
    input->stop();
    input->stop();
    QVERIFY(timer.elapsed() < 500);
    const size_t buffers = recording.snapshot().bufferSizes.size();
    if (fromHandler)
        QCOMPARE(buffers, size_t(2));
    QTest::qWait(300);
    QCOMPARE(recording.snapshot().bufferSizes.size(), buffers);
    QVERIFY(!recording.snapshot().endReason);
}

void AudioInputTest::pulseCapturesTheSource_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::newRow("16 kHz mono") << 16000 << 1;
    QTest::newRow("48 kHz stereo, mixed down") << 48000 << 2;
}

void AudioInputTest::pulseCapturesTheSource()
{
    QFETCH(int, rate);
    QFETCH(int, channels);
    PrivatePulseServer server({rate, channels, true});
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(PulseAudioInput::hasCaptureSource(server.serverAddress()));

    PulseAudioInput input(server.serverAddress());
    Recording recording(input);
    const AudioFormat format = input.format();
    QCOMPARE(format.sampleRate, double(rate));
    QCOMPARE(format.channels, channels);
    QVERIFY(!input.start(recording.handler()));

    const QString tone = makeTone(m_dir, rate, 1.0);
    server.feedSilence(0.2);
    QVERIFY(server.feedFile(tone));
    server.feedSilence(0.5);
    QVERIFY(server.waitUntilFed(5000));
    const auto quietAfter = size_t(rate * 0.3);
    QVERIFY(
        recording.waitFor([&](const Delivered &d) { return !loudPart(d.samples, quietAfter).empty(); }, 5s));
    input.stop();

    const Delivered delivered = recording.snapshot();
    QVERIFY(!delivered.endReason);
    QVERIFY(!delivered.onCallerThread);
    for (const size_t size : delivered.bufferSizes)
        QCOMPARE(size, size_t(2048));
    const std::span<const float> heard = loudPart(delivered.samples, quietAfter);
    QVERIFY2(std::abs(double(heard.size()) - rate) < rate * 0.01, qPrintable(QString::number(heard.size())));
    verifyTone(heard, rate);
}

void AudioInputTest::pulseWithoutMicrophone_data()
{
    QTest::addColumn<QString>("server");
    QTest::newRow("no server") << QStringLiteral("none");
    QTest::newRow("only an output's monitor") << QStringLiteral("monitor only");
    QTest::newRow("server does not answer") << QStringLiteral("stuck");
}

void AudioInputTest::pulseWithoutMicrophone()
{
    QFETCH(QString, server);
    std::unique_ptr<PrivatePulseServer> running;
    QString address = QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("nowhere/native"));
    if (server != QStringLiteral("none")) {
        running = std::make_unique<PrivatePulseServer>(PrivatePulseOptions{16000, 1, false});
        QVERIFY2(running->isRunning(), qPrintable(running->errorString()));
        address = running->serverAddress();
        if (server == QStringLiteral("stuck"))
            ::kill(pid_t(running->processId()), SIGSTOP);
    }

    // Each answer comes within the time-out, however the server behaves.
    const qint64 limit = PulseAudioInput::kServerTimeout.count() + 1000;
    PulseAudioInput input(address);
    Recording recording(input);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(input.format().sampleRate, 0.0);
    const std::optional<QString> error = input.start(recording.handler());
    QVERIFY(error && !error->isEmpty());
    QVERIFY(!PulseAudioInput::hasCaptureSource(address));
    QVERIFY2(timer.elapsed() < 3 * limit, qPrintable(QString::number(timer.elapsed())));

    if (running)
        ::kill(pid_t(running->processId()), SIGCONT);
}

void AudioInputTest::pulseServerGoesAway()
{
    PrivatePulseServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    PulseAudioInput input(server.serverAddress());
    Recording recording(input);
    QCOMPARE(input.format().sampleRate, 16000.0);
    QVERIFY(!input.start(recording.handler()));
    QVERIFY(server.feedFile(makeTone(m_dir, 16000, 3)));
    QVERIFY(recording.waitFor([](const Delivered &d) { return d.bufferSizes.size() >= 4; }, 5s));

    server.kill();
    QVERIFY(recording.waitForEnd(3s));
    const Delivered delivered = recording.snapshot();
    QVERIFY2(delivered.endReason->startsWith(QStringLiteral("the sound server went away")),
             qPrintable(*delivered.endReason));
    QCOMPARE(delivered.buffersBeforeEnd, delivered.bufferSizes.size());
    QElapsedTimer timer;
    timer.start();
    input.stop();
    QVERIFY(timer.elapsed() < 500);
    QCOMPARE(input.format().sampleRate, 0.0);
}

QTEST_GUILESS_MAIN(AudioInputTest)
#include "AudioInputTest.moc"
