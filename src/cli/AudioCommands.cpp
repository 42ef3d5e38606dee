#include "cli/AudioCommands.h"

#include "app/AppState.h"
#include "cli/FileRecording.h"
#include "core/Clock.h"
#include "core/Json.h"
#include "meeting/MeetingSession.h"
#include "platform/PocketSphinxRecognizer.h"

#include <QEventLoop>
#include <QTextStream>

#include <atomic>
#include <chrono>

namespace {

using SteadyClock = std::chrono::steady_clock;

QByteArray meetingJson(const MeetingSession &meeting)
{
    QList<QByteArray> segments;
    for (const MeetingSegment &segment : meeting.segments()) {
        segments.append(JsonObjectWriter()
                            .add("speakerIndex", static_cast<double>(segment.speakerIndex))
                            .add("speakerLabel", segment.speakerLabel)
                            .add("text", segment.text)
                            .add("start", segment.start)
                            .add("end", segment.end)
                            .finish());
    }
    return JsonObjectWriter()
        .addEncoded("segments", Json::array(segments))
        .add("speakers", meeting.speakerNames())
        .add("markdown", meeting.exportMarkdown())
        .finish();
}

} // namespace

WavFileInput::Pacing pacingOf(const AudioRunOptions &options)
{
    return options.realtime ? WavFileInput::Pacing::RealTime : WavFileInput::Pacing::ThreeTimesRealTime;
}

int runDictationAudio(VoiceMode mode, const AudioRunOptions &options, AppState &state,
                      FileRecording &recording, QTextStream &out, QTextStream &err)
{
    if (recording.format().sampleRate <= 0) {
        err << "dictrava-cli: " << recording.errorString() << '\n';
        return 1;
    }
    // The end of the file is the key coming up.
    std::atomic<SteadyClock::rep> audioEndedAt{0};
    recording.onEndOfRecording = [&state, &audioEndedAt](const QString &) {
        audioEndedAt = SteadyClock::now().time_since_epoch().count();
        QMetaObject::invokeMethod(
            &state, [&state] { state.stopDictation(); }, Qt::QueuedConnection);
    };

    QEventLoop loop;
    ProcessResult result;
    qint64 latencyMs = 0;
    QObject::connect(&state, &AppState::processed, &loop, [&](const ProcessResult &processed) {
        const SteadyClock::time_point ended{SteadyClock::duration(audioEndedAt.load())};
        latencyMs = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - ended).count();
        result = processed;
        loop.quit();
    });

    state.setVoiceMode(mode);
    state.startDictation();
    if (!state.isDictating()) {
        err << "dictrava-cli: " << state.statusMessage() << '\n';
        return 1;
    }
    loop.exec();
    if (!allSaved(state, err))
        return 1;

    if (options.json) {
        out << QString::fromUtf8(withLatency(resultJson(result, mode), latencyMs)) << '\n';
    } else {
        printReadable(out, result);
    }
    return 0;
}

int runMeetingAudio(const AudioRunOptions &options, QTextStream &out, QTextStream &err)
{
    auto input = std::make_unique<WavFileInput>(options.path, pacingOf(options));
    if (input->format().sampleRate <= 0) {
        err << "dictrava-cli: " << input->errorString() << '\n';
        return 1;
    }
    SystemClock clock;
    MeetingSession meeting(std::move(input), pocketSphinxRecognizerProvider(), clock);
    QEventLoop loop;
    QObject::connect(&meeting, &MeetingSession::finishedProcessing, &loop, &QEventLoop::quit);
    meeting.start();
    if (!meeting.isRunning()) {
        err << "dictrava-cli: " << meeting.errorMessage() << '\n';
        return 1;
    }
    loop.exec();
    if (options.json)
        out << QString::fromUtf8(meetingJson(meeting)) << '\n';
    else
        out << meeting.exportMarkdown() << '\n';
    return 0;
}
