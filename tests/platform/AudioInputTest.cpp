#include "TestRegistry.h"
#include "platform/PulseAudioInput.h"
#include "platform/WavFileInput.h"
#include "support/PrivatePulseServer.h"
#include "support/RenderedSpeech.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <memory>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

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
        };
    }
    ~Recording() { m_input.stop(); } // nothing may be delivered into a recording that is gone

    AudioInput::BufferHandler handler()
    {
        return [this, caller = std::this_thread::get_id()](std::span<const float> buffer) {
            std::unique_lock lock(m_mutex);
            Delivered &d = m_delivered;
            d.samples.insert(d.samples.end(), buffer.begin(), buffer.end());
            d.bufferSizes.push_back(buffer.size());
            d.onCallerThread |= std::this_thread::get_id() == caller;
            d.buffersBeforeEnd += d.endReason ? 0 : 1;
            const bool stopHere = d.bufferSizes.size() == m_stopAtBuffer;
            lock.unlock();
            if (stopHere)
                m_input.stop();
        };
    }
    bool waitFor(const std::function<bool(const Delivered &)> &condition, std::chrono::milliseconds timeout)
    {
        return QTest::qWaitFor([&] { return condition(snapshot()); }, int(timeout.count()));
    }
    bool waitForBuffers(size_t count)
    {
        return waitFor([count](const Delivered &d) { return d.bufferSizes.size() >= count; }, 5s);
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
    Delivered m_delivered;
};

// A 440 Hz sine of amplitude 0.5: RMS, mean and frequency (from rising zero crossings).
void verifyTone(std::span<const float> samples, double sampleRate)
{
    double square = 0, sum = 0;
    int rising = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        square += double(samples[i]) * samples[i];
        sum += samples[i];
        rising += i > 0 && samples[i - 1] < 0 && samples[i] >= 0 ? 1 : 0;
    }
    const double n = std::max<double>(1, double(samples.size()));
    const double rms = std::sqrt(square / n), frequency = rising * sampleRate / n;
    QVERIFY2(std::fabs(rms - 0.5 / std::sqrt(2.0)) < 0.01, qPrintable(QString::number(rms)));
    QVERIFY2(std::fabs(sum / n) < 0.01, qPrintable(QString::number(sum / n)));
    QVERIFY2(std::fabs(frequency - 440) < 3, qPrintable(QString::number(frequency)));
}

// Runs sox with `commandLine`, in which %1 stands for `path`.
bool runSox(const QString &commandLine, const QString &path)
{
    QStringList arguments{u"-D"_s};
    for (const QString &argument : commandLine.split(u' '))
        arguments << (argument == u"%1"_s ? path : argument);
    return runTool(u"sox"_s, arguments);
}

QString makeTone(const QTemporaryDir &dir, int rate, double seconds)
{
    const QString path = dir.filePath(u"tone-%1-%2.wav"_s.arg(rate).arg(seconds));
    const QString command = u"-n -r %1 -c 1 -b 16 %2 synth %3 sine 440 vol 0.5"_s;
    return runSox(command.arg(QString::number(rate), u"%1"_s, QString::number(seconds)), path) ? path
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

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void wavFile_data()
    {
        QTest::addColumn<QString>("source"); // sox options making the file, or else its literal text
        QTest::addColumn<qint64>("truncateTo");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<qint64>("frames"); // -1: the file cannot be read

        // Channel 1 of a stereo file gets a second sine, which must not be mixed in.
        const auto tone = [](const char *tag, const QString &format, qint64 truncateTo = -1) -> QTestData & {
            const QString sines = format.contains(u"-c 2") ? u"sine 440 sine 1000"_s : u"sine 440"_s;
            return QTest::newRow(tag)
                   << u"-n "_s + format + u" %1 synth 1 "_s + sines + u" vol 0.5"_s << truncateTo;
        };
        tone("16 kHz", u"-r 16000 -c 1 -b 16 -t wav"_s) << 16000.0 << 1 << 16000LL;
        tone("stereo: channel 0 only", u"-r 48000 -c 2 -b 16 -t wav"_s) << 48000.0 << 2 << 48000LL;
        tone("FLAC", u"-r 44100 -c 1 -b 16 -t flac"_s) << 44100.0 << 1 << 44100LL;
        // The header promises a second; the file holds 1000 frames, and those are played.
        tone("truncated in the samples", u"-r 16000 -c 1 -b 16 -t wav"_s, 2044) << 16000.0 << 1 << 1000LL;
        tone("truncated in the header", u"-r 16000 -c 1 -b 16 -t wav"_s, 20) << 0.0 << 0 << -1LL;
        QTest::newRow("no samples") << u"-n -r 16000 -c 1 -b 16 -t wav %1 trim 0 0"_s << -1LL << 16000.0 << 1
                                    << 0LL;
        QTest::newRow("not audio") << u"Dear diary, nothing happened today.\n"_s << -1LL << 0.0 << 0 << -1LL;
    }
    void wavFile()
    {
        QFETCH(QString, source);
        QFETCH(qint64, truncateTo);
        QFETCH(double, rate);
        QFETCH(int, channels);
        QFETCH(qint64, frames);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'));
        if (source.startsWith(u"-n ")) {
            QVERIFY(runSox(source, path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(source.toUtf8()) == source.toUtf8().size());
        }
        if (truncateTo >= 0)
            QVERIFY(QFile::resize(path, truncateTo));

        WavFileInput input(path);
        Recording recording(input);
        QCOMPARE(input.format().sampleRate, rate);
        QCOMPARE(input.format().channels, channels);
        const std::optional<QString> error = input.start(recording.handler());
        if (frames < 0) {
            QVERIFY(error);
            QVERIFY2(error->startsWith(u"Cannot read “%1”: "_s.arg(path)) && !error->endsWith(u' '),
                     qPrintable(*error));
            QCOMPARE(input.errorString(), *error);
            QVERIFY(!recording.waitForEnd(100ms));
            return;
        }
        QVERIFY2(!error, qPrintable(error.value_or(QString())));
        QVERIFY(recording.waitForEnd(10s));
        const Delivered delivered = recording.snapshot();
        QCOMPARE(*delivered.endReason, u"end of file"_s);
        QCOMPARE(qint64(delivered.samples.size()), frames);
        QCOMPARE(delivered.buffersBeforeEnd, delivered.bufferSizes.size());
        QVERIFY(!delivered.onCallerThread);
        for (size_t i = 0; i + 1 < delivered.bufferSizes.size(); ++i)
            QCOMPARE(delivered.bufferSizes[i], size_t(2048));
        if (frames >= rate / 2)
            verifyTone(delivered.samples, rate);
    }

    // Stopping ends delivery for good, from any thread, without waiting on the input's own thread.
    // The file is paced in real time: one read ahead would end before the stop.
    void stop_data()
    {
        QTest::addColumn<bool>("microphone");
        QTest::addColumn<bool>("fromHandler");
        for (const bool microphone : {false, true})
            for (const bool fromHandler : {false, true})
                QTest::addRow("%s, from the %s", microphone ? "microphone" : "file",
                              fromHandler ? "buffer handler" : "caller")
                    << microphone << fromHandler;
    }
    void stop()
    {
        QFETCH(bool, microphone);
        QFETCH(bool, fromHandler);
        std::unique_ptr<PrivatePulseServer> server;
        std::unique_ptr<AudioInput> input;
        if (microphone) {
            server = std::make_unique<PrivatePulseServer>();
            QVERIFY2(server->isRunning(), qPrintable(server->errorString()));
            input = std::make_unique<PulseAudioInput>(server->serverAddress());
        } else {
            input = std::make_unique<WavFileInput>(makeTone(m_dir, 16000, 5), WavFileInput::Pacing::RealTime);
        }
        Recording recording(*input, fromHandler ? 2 : 0);
        QVERIFY(!input->start(recording.handler()));
        QVERIFY(recording.waitForBuffers(2));
        input->stop();
        input->stop();
        const size_t buffers = recording.snapshot().bufferSizes.size();
        if (fromHandler)
            QCOMPARE(buffers, size_t(2));
        QTest::qWait(300);
        QCOMPARE(recording.snapshot().bufferSizes.size(), buffers);
        QVERIFY(!recording.snapshot().endReason);
    }

    void pulseCapturesTheSource_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("16 kHz mono") << 16000 << 1;
        QTest::newRow("48 kHz stereo, mixed down") << 48000 << 2;
    }
    void pulseCapturesTheSource()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        PrivatePulseServer server({rate, channels, true});
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        QVERIFY(PulseAudioInput::hasCaptureSource(server.serverAddress()));
        PulseAudioInput input(server.serverAddress());
        Recording recording(input);
        QCOMPARE(input.format().sampleRate, double(rate));
        QCOMPARE(input.format().channels, channels);
        QVERIFY(!input.start(recording.handler()));

        server.feedSilence(0.2);
        QVERIFY(server.feedFile(makeTone(m_dir, rate, 1.0)));
        server.feedSilence(0.5);
        QVERIFY(server.waitUntilFed(5000));
        const auto quietAfter = size_t(rate * 0.3);
        QVERIFY(recording.waitFor(
            [&](const Delivered &d) { return !loudPart(d.samples, quietAfter).empty(); }, 5s));
        input.stop();
        const Delivered delivered = recording.snapshot();
        QVERIFY(!delivered.endReason && !delivered.onCallerThread);
        for (const size_t size : delivered.bufferSizes)
            QCOMPARE(size, size_t(2048));
        const std::span<const float> heard = loudPart(delivered.samples, quietAfter);
        QVERIFY2(std::abs(double(heard.size()) - rate) < rate * 0.01,
                 qPrintable(QString::number(heard.size())));
        verifyTone(heard, rate);
    }

    void pulseWithoutMicrophone_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("no server") << u"none"_s;
        QTest::newRow("only an output's monitor") << u"monitor only"_s;
        QTest::newRow("server does not answer") << u"stuck"_s;
    }
    void pulseWithoutMicrophone()
    {
        QFETCH(QString, server);
        std::unique_ptr<PrivatePulseServer> running;
        QString address = u"unix:"_s + m_dir.filePath(u"nowhere/native"_s);
        if (server != u"none"_s) {
            running = std::make_unique<PrivatePulseServer>(PrivatePulseOptions{16000, 1, false});
            QVERIFY2(running->isRunning(), qPrintable(running->errorString()));
            address = running->serverAddress();
            if (server == u"stuck"_s)
                ::kill(pid_t(running->processId()), SIGSTOP);
        }
        // Each answer comes, however the server behaves (a hang fails as the test's time-out).
        PulseAudioInput input(address);
        Recording recording(input);
        QCOMPARE(input.format().sampleRate, 0.0);
        const std::optional<QString> error = input.start(recording.handler());
        QVERIFY(error && !error->isEmpty());
        QVERIFY(!PulseAudioInput::hasCaptureSource(address));
        if (running)
            ::kill(pid_t(running->processId()), SIGCONT);
    }

    void pulseServerGoesAway()
    {
        PrivatePulseServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        PulseAudioInput input(server.serverAddress());
        Recording recording(input);
        QCOMPARE(input.format().sampleRate, 16000.0);
        QVERIFY(!input.start(recording.handler()));
        QVERIFY(server.feedFile(makeTone(m_dir, 16000, 3)));
        QVERIFY(recording.waitForBuffers(4));
        server.kill();
        QVERIFY(recording.waitForEnd(3s));
        const Delivered delivered = recording.snapshot();
        QVERIFY2(delivered.endReason->startsWith(u"the sound server went away"_s),
                 qPrintable(*delivered.endReason));
        QCOMPARE(delivered.buffersBeforeEnd, delivered.bufferSizes.size());
        input.stop();
        QCOMPARE(input.format().sampleRate, 0.0);
    }
};

DICTRAVA_TEST(AudioInputTest)
#include "AudioInputTest.moc"
