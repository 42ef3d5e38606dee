// Voice attribution of a recorded meeting with recognition taken out: the meeting session runs
// on the file as fast as it can be read, and each utterance is "recognised" as one word per
// 0.1 s of its audio, so that the split at the word gap nearest a change of voice is limited by
// the voice features and the stretches, not by the recogniser or the machine's load.
//   AttributionBench FILE  -> the segments as JSON, like dictrava-cli meeting --json
#include "core/Clock.h"
#include "core/Json.h"
#include "meeting/MeetingSession.h"
#include "platform/WavFileInput.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

class EveryTenthOfASecond final : public RecognitionTask
{
public:
    EveryTenthOfASecond(double sampleRate, SpeechRecognizer::Handler handler)
        : m_sampleRate(sampleRate), m_handler(std::move(handler))
    {}
    void append(std::span<const float> samples) override { m_samples += qint64(samples.size()); }
    void endAudio() override
    {
        RecognitionResult result{{}, true, {}};
        for (double start = 0; start + 0.1 <= double(m_samples) / m_sampleRate; start += 0.1)
            result.words.append({u"w"_qs, start, start + 0.08});
        result.text = QStringList(result.words.size(), u"w"_qs).join(u' ');
        m_handler(result, std::nullopt);
    }
    void cancel() override {}
    std::vector<float> takeUnheardAudio() override { return {}; }
    std::size_t backlog() const override { return 0; }

private:
    const double m_sampleRate;
    const SpeechRecognizer::Handler m_handler;
    qint64 m_samples = 0;
};

class WordPerTenth final : public SpeechRecognizer
{
public:
    bool isAvailable() const override { return true; }
    QString localeIdentifier() const override { return u"en_US"_qs; }
    bool supportsOnDeviceRecognition() const override { return true; }
    std::unique_ptr<RecognitionTask> startTask(double sampleRate, Handler handler) override
    {
        return std::make_unique<EveryTenthOfASecond>(sampleRate, std::move(handler));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: AttributionBench FILE\n");
        return 2;
    }
    const auto recognizer = std::make_shared<WordPerTenth>();
    SystemClock clock;
    MeetingSession meeting(
        std::make_unique<WavFileInput>(QString::fromLocal8Bit(argv[1])),
        [recognizer](const QString &) { return recognizer; }, clock);
    QEventLoop loop;
    QObject::connect(&meeting, &MeetingSession::finishedProcessing, &loop, &QEventLoop::quit);
    const auto started = std::chrono::steady_clock::now();
    meeting.start();
    if (!meeting.isRunning())
        return 1;
    loop.exec();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    QList<QByteArray> segments;
    for (const MeetingSegment &segment : meeting.segments())
        segments.append(JsonObjectWriter()
                            .add("speakerIndex", double(segment.speakerIndex))
                            .add("start", segment.start)
                            .add("end", segment.end)
                            .finish());
    QTextStream(stdout) << JsonObjectWriter()
                               .addEncoded("segments", Json::array(segments))
                               .add("speakers", meeting.speakerNames())
                               .add("seconds", elapsed.count())
                               .finish()
                        << '\n';
    return 0;
}
