#include "dictation/DictationEngine.h"

#include "core/DelayedJobQueue.h"

#include "core/Text.h"
#include "dictation/DictationRecorder.h"

#include <QObject>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

using namespace std::chrono_literals;

// How long a stop waits for the recogniser's last word once it has decoded all the audio. A
// recogniser still decoding what was said is not hung and gets the time it needs, unless it
// makes no headway for the wedge limit; and even that wait has an end.
constexpr auto kStopLimit = 1500ms;
constexpr auto kWedgeLimit = 10s;
constexpr auto kStopBound = 60s;
constexpr auto kStopCheckInterval = 100ms;

// Spaces and tabs, but not line breaks.
QString trimmedSpaces(const QString &text)
{
    const auto isSpace = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text.at(begin)))
        ++begin;
    while (end > begin && isSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool startsWithLowerCase(const QString &text)
{
    if (text.isEmpty())
        return false;
    const char32_t first = text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate()
                               ? QChar::surrogateToUcs4(text.at(0), text.at(1))
                               : text.at(0).unicode();
    return QChar::isLower(first);
}

// The first three words, lower-cased, one space between.
QString leadingWords(const QString &text)
{
    return Text::lower(text.split(u' ', Qt::SkipEmptyParts).mid(0, 3).join(u' '));
}

using SteadyClock = std::chrono::steady_clock;

struct StopWatch
{
    SteadyClock::time_point stoppedAt;
    SteadyClock::time_point quietSince;   // the recogniser last had audio to decode
    SteadyClock::time_point headwaySince; // its backlog last shrank
    std::size_t backlog = 0;
};

// Gives up on a stop's recogniser once it has been silent for the stop limit after catching up
// with the audio, has made no headway on its backlog for the wedge limit, or the bound has
// passed; looks again every check interval until then.
void watchStop(DelayedJobQueue &timer, const std::weak_ptr<DictationRecorder> &weak, quint64 recording,
               StopWatch watch)
{
    const auto recorder = weak.lock();
    if (!recorder)
        return;
    const DictationRecorder::StopProgress progress = recorder->stopProgress(recording);
    if (progress.resolved)
        return;
    const auto now = SteadyClock::now();
    if (progress.handingOver || progress.backlog > 0)
        watch.quietSince = now;
    if (progress.handingOver || progress.backlog < watch.backlog)
        watch.headwaySince = now;
    watch.backlog = progress.backlog;
    const bool wedged = progress.backlog > 0 && now - watch.headwaySince >= kWedgeLimit;
    if (now - watch.quietSince >= kStopLimit || wedged || now - watch.stoppedAt >= kStopBound) {
        recorder->resolveStop(recording, true);
        return;
    }
    timer.postAfter(kStopCheckInterval,
                    [&timer, weak, recording, watch] { watchStop(timer, weak, recording, watch); });
}

} // namespace

DictationEngine::DictationEngine(AudioInput &input, SpeechRecognizerProvider recognizers)
    : m_thread(std::make_unique<QObject>()),
      m_recorder(std::make_shared<DictationRecorder>(input, std::move(recognizers), m_thread.get())),
      m_timer(std::make_unique<DelayedJobQueue>())
{}

DictationEngine::~DictationEngine()
{
    m_recorder->detach();
    m_timer.reset();
    m_recorder->resolveStop(std::nullopt, true);
    m_recorder->stopInternals();
    m_thread.reset(); // drops the restarts and teardowns still queued
}

std::optional<DictationError> DictationEngine::start()
{
    return m_recorder->start({onPartial, onLevel, onError}, onDeviceOnly);
}

void DictationEngine::stopAndFinalize(std::function<void(const DictationTranscript &transcript)> done)
{
    const DictationRecorder::Stop stop = m_recorder->beginStop(std::move(done));
    if (stop.alreadyFinished) {
        m_recorder->resolveStop(stop.recording, false);
        return;
    }
    // A watch left over from an earlier stop finds its recording resolved and does nothing.
    const auto now = SteadyClock::now();
    watchStop(*m_timer, m_recorder, stop.recording, {now, now, now, 0});
}

QString DictationEngine::join(const QString &a, const QString &b)
{
    QString first = Text::trimmed(a);
    const QString second = Text::trimmed(b);
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    const QChar last = first.back();
    if ((last == u'.' || last == u'?' || last == u'!') && startsWithLowerCase(second)) {
        first.chop(1);
        return trimmedSpaces(first) + u' ' + second;
    }
    if (last == u'-') {
        first.chop(1);
        return first + second;
    }
    return first + u' ' + second;
}

bool DictationEngine::isContinuation(const QString &previous, const QString &next)
{
    if (next.startsWith(previous) || previous.startsWith(next))
        return true;
    const QString head = leadingWords(previous);
    return !head.isEmpty() && head == leadingWords(next);
}

float DictationEngine::level(std::span<const float> samples)
{
    if (samples.empty())
        return 0.0f;
    double sumOfSquares = 0.0;
    for (const float sample : samples)
        sumOfSquares += double(sample) * double(sample);
    const double amplified = std::sqrt(sumOfSquares / double(samples.size())) * 8.0;
    if (!(amplified > 0.0)) // silence, or samples that are not numbers
        return 0.0f;
    return static_cast<float>(std::min(amplified, 1.0));
}
