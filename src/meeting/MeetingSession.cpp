#include "meeting/MeetingSession.h"

#include "core/Clock.h"
#include "core/Text.h"
#include "meeting/MeetingNotes.h"
#include "meeting/UtteranceRecognizer.h"
#include "platform/AudioInput.h"
#include "platform/Pasteboard.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

// What the recogniser's and the audio input's threads hold instead of the session itself: the
// session detaches it first thing when it is destroyed, and no one reaches the session after.
struct MeetingSession::Lifeline
{
    std::mutex mutex;
    MeetingSession *session = nullptr;

    // Runs `function` with the session while it is alive; the session cannot go away meanwhile.
    template<typename Function>
    static void with(const std::weak_ptr<Lifeline> &weak, Function &&function)
    {
        const std::shared_ptr<Lifeline> lifeline = weak.lock();
        if (!lifeline)
            return;
        std::lock_guard lock(lifeline->mutex);
        if (lifeline->session)
            function(*lifeline->session);
    }
};

MeetingSession::MeetingSession(std::unique_ptr<AudioInput> input, SpeechRecognizerProvider recognizers,
                               const Clock &clock, Pasteboard *pasteboard, QObject *parent)
    : QObject(parent), m_input(std::move(input)), m_recognizers(std::move(recognizers)), m_clock(clock),
      m_pasteboard(pasteboard), m_lifeline(std::make_shared<Lifeline>())
{
    m_lifeline->session = this;
    if (!m_input)
        return;
    m_input->onEnded = [life = std::weak_ptr(m_lifeline)](const QString &reason) {
        Lifeline::with(life, [&reason](MeetingSession &session) {
            QMetaObject::invokeMethod(
                &session,
                [&session, reason] {
                    session.stop();
                    emit session.inputEnded(reason);
                },
                Qt::QueuedConnection);
        });
    };
}

MeetingSession::~MeetingSession()
{
    {
        std::lock_guard lock(m_lifeline->mutex);
        m_lifeline->session = nullptr;
    }
    if (m_input)
        m_input->stop();
    // No buffer, text or partial result can reach the queue any more.
    m_queue.waitUntilIdle();
    if (m_currentUtterance)
        m_currentUtterance->cancelTask();
    for (const auto &weak : m_finishing) {
        if (const auto utterance = weak.lock())
            utterance->cancelTask();
    }
}

template<typename Function>
void MeetingSession::postToMain(Function &&function)
{
    QMetaObject::invokeMethod(this, std::forward<Function>(function), Qt::QueuedConnection);
}

// ---- Operations (main thread) ----

void MeetingSession::start()
{
    if (m_isRunning)
        return;
    setErrorMessage({});
    setSegments({});
    setSpeakerNames({});
    setLiveText({});
    setPaused(false);
    setStartedAt(m_clock.now());

    const AudioFormat format = m_input ? m_input->format() : AudioFormat{};
    if (!(format.sampleRate > 0)) {
        setErrorMessage(u"No microphone input available."_s);
        return;
    }
    const double sampleRate = format.sampleRate;
    m_queue.post([this, sampleRate] {
        m_paused = false;
        m_stopped = false;
        m_sampleRate = sampleRate;
        m_featureExtractor.reset(sampleRate);
        m_position = 0;
        m_stretchOpen = false;
        m_stretches.clear();
        m_silentFrames = 0;
        m_speechFrames = 0;
    });

    // A start that failed earlier may have left delivery half set up.
    m_input->stop();
    const std::optional<QString> failure = m_input->start([this](std::span<const float> samples) {
        // The audio thread only copies the samples and hands them on.
        m_queue.post(
            [this, buffer = std::vector<float>(samples.begin(), samples.end())] { process(buffer); });
    });
    if (failure) {
        setErrorMessage(u"Audio error: "_s + *failure);
        return;
    }
    setRunning(true);
    // A roster kept from an earlier meeting shows at once.
    setSpeakerNames(m_roster.labels());
}

void MeetingSession::stop()
{
    if (!m_isRunning)
        return;
    m_input->stop();
    // The utterance in progress is still recognised and may add a segment after this returns.
    m_queue.post([this] {
        m_paused = false;
        finishUtterance();
        m_stopped = true;
        reportIfFinished();
    });
    setRunning(false);
    setPaused(false);
    setLiveText({});
    setAudioLevel(0);
    setPendingEnrollmentName({});
    setEnrollmentHint({});
}

void MeetingSession::togglePause()
{
    if (!m_isRunning)
        return;
    const bool paused = !m_isPaused;
    setPaused(paused);
    m_queue.post([this, paused] {
        m_paused = paused;
        // Pausing mid-sentence keeps what was said so far.
        if (paused)
            finishUtterance();
    });
    if (paused) {
        setLiveText({});
        setAudioLevel(0);
        setEnrollmentHint(u"Paused — press Resume when ready"_s);
    } else {
        setEnrollmentHint({});
    }
}

void MeetingSession::beginEnrollment(const QString &name)
{
    const QString trimmed = Text::trimmed(name);
    if (trimmed.isEmpty())
        return;
    if (!m_roster.canEnroll(trimmed)) {
        setErrorMessage(u"Already tracking 5 voices. Rename an existing speaker instead."_s);
        return;
    }
    setPendingEnrollmentName(trimmed);
    m_queue.post([this, trimmed] {
        m_enrollmentNameQueued = trimmed;
        ++m_enrollmentGeneration;
    });
    setEnrollmentHint(u"Listening for "_s + trimmed + u" — have them speak for a couple seconds"_s);
    if (!m_isRunning)
        start();
}

void MeetingSession::cancelEnrollment()
{
    setPendingEnrollmentName({});
    m_queue.post([this] {
        m_enrollmentNameQueued.reset();
        ++m_enrollmentGeneration;
    });
    setEnrollmentHint({});
}

void MeetingSession::renameSpeaker(int index, const QString &name)
{
    const QString trimmed = Text::trimmed(name);
    if (trimmed.isEmpty())
        return;
    m_roster.setName(trimmed, index);
    setSpeakerNames(m_roster.labels());
    relabelSegments(index, trimmed);
}

void MeetingSession::clearRoster()
{
    m_roster.clear();
    setSpeakerNames({});
    setSegments({});
    setPendingEnrollmentName({});
    setEnrollmentHint({});
}

QList<MeetingActionItem> MeetingSession::actionItems() const
{
    return MeetingNotes::actionItems(m_segments);
}

int MeetingSession::wordCount() const
{
    return MeetingNotes::wordCount(m_segments);
}

QString MeetingSession::elapsedDescription() const
{
    return MeetingNotes::elapsedDescription(m_startedAt, m_clock.now());
}

QString MeetingSession::exportMarkdown() const
{
    return MeetingNotes::markdown({m_segments, m_speakerNames, elapsedDescription(), m_clock.now()});
}

QString MeetingSession::copyMarkdown() const
{
    const QString markdown = exportMarkdown();
    if (m_pasteboard)
        m_pasteboard->setText(markdown);
    return markdown;
}

// ---- Audio analysis (processing queue) ----

void MeetingSession::process(const std::vector<float> &samples)
{
    // Paused audio still counts, so that times stay those of the recording.
    const qint64 position = std::exchange(m_position, m_position + qint64(samples.size()));
    if (m_paused) {
        postToMain([this] { setAudioLevel(0); });
        return;
    }
    double squares = 0;
    for (const float sample : samples)
        squares += double(sample) * sample;
    const float rms = samples.empty() ? 0.0f : float(std::sqrt(squares / double(samples.size())));
    const float level = std::isfinite(rms) ? std::min(rms * 8, 1.0f) : 0.0f;
    // Buffers analysed after a stop must not leave the meter showing a level.
    postToMain([this, level] {
        if (m_isRunning && !m_isPaused)
            setAudioLevel(level);
    });

    if (rms > silenceRMS) {
        // The recogniser ended the utterance at a pause of its own and would not hear this:
        // whoever speaks now starts a new one.
        if (m_currentUtterance && m_currentUtterance->hasEnded() && m_silentFrames > 0)
            finishUtterance();
        m_silentFrames = 0;
        ++m_speechFrames;
        if (!m_currentUtterance) {
            m_utteranceStart = position;
            startUtterance(); // the opening buffer is not counted
        }
        if (!m_stretchOpen) {
            m_featureExtractor.reset(m_sampleRate);
            m_stretchOpen = true;
            m_stretchStart = position;
        }
        m_featureExtractor.append(samples);
        m_stretchQuietBuffers = 0;
        m_stretchEnd = m_position;
    } else {
        ++m_silentFrames;
        if (m_stretchOpen &&
            ++m_stretchQuietBuffers >= int(m_sampleRate * stretchPauseSeconds / framesPerBuffer))
            closeStretch();
    }

    if (m_currentUtterance) {
        // Every buffer from the opening one on, quiet or loud, belongs to the utterance.
        m_currentUtterance->append(samples);
        const int silenceLimit = int(m_sampleRate * silenceSeconds / framesPerBuffer);
        if (m_silentFrames >= silenceLimit)
            finishUtterance();
    }
}

void MeetingSession::startUtterance()
{
    m_speechFrames = 0;
    m_stretches.clear();
    m_currentUtterance = UtteranceRecognizer::start(
        findRecognizer(), m_sampleRate, [life = std::weak_ptr(m_lifeline)](const QString &text) {
            Lifeline::with(life, [&text](MeetingSession &session) {
                QMetaObject::invokeMethod(
                    &session, [&session, text] { session.setLiveText(text); }, Qt::QueuedConnection);
            });
        });
}

void MeetingSession::finishUtterance()
{
    if (!m_currentUtterance)
        return;
    const std::shared_ptr<UtteranceRecognizer> utterance = std::exchange(m_currentUtterance, nullptr);
    closeStretch();
    if (m_speechFrames < minimumSpeechFrames) {
        // Too short to be speech (a cough, a click); a queued check-in name stays queued.
        utterance->cancelTask();
        return;
    }

    FinishedUtterance finished;
    finished.enrollmentName = std::exchange(m_enrollmentNameQueued, std::nullopt);
    finished.stretches = std::exchange(m_stretches, {});
    finished.start = double(m_utteranceStart) / m_sampleRate;
    finished.enrollmentGeneration = m_enrollmentGeneration;
    finished.sequence = m_utterancesFinished++;
    std::erase_if(m_finishing, [](const auto &weak) { return weak.expired(); });
    m_finishing.push_back(utterance);

    auto completion = [life = std::weak_ptr(m_lifeline), weakUtterance = std::weak_ptr(utterance),
                       finished](const QString &text, const QList<RecognizedWord> &words) {
        Lifeline::with(life, [&](MeetingSession &session) {
            // Whoever resolves holds the utterance, so it is still there to be locked.
            session.m_queue.post([&session, utterance = weakUtterance.lock(), text, words, finished] {
                session.resolveText({utterance, text, words, finished});
            });
        });
    };
    utterance->finish(std::move(completion), m_timeouts, recognitionLimit);
}

void MeetingSession::closeStretch()
{
    if (!m_stretchOpen)
        return;
    m_stretchOpen = false;
    m_stretches.append({double(m_stretchStart - m_utteranceStart) / m_sampleRate,
                        double(m_stretchEnd - m_utteranceStart) / m_sampleRate,
                        m_featureExtractor.statistics()});
}

void MeetingSession::resolveText(ResolvedUtterance resolved)
{
    const quint64 sequence = resolved.finished.sequence;
    m_resolvedEarly.emplace(sequence, std::move(resolved));
    while (!m_resolvedEarly.empty() && m_resolvedEarly.begin()->first == m_utterancesHandled) {
        const ResolvedUtterance next = std::move(m_resolvedEarly.begin()->second);
        m_resolvedEarly.erase(m_resolvedEarly.begin());
        ++m_utterancesHandled;
        handleFinalText(next);
    }
}

void MeetingSession::handleFinalText(const ResolvedUtterance &resolved)
{
    const std::shared_ptr<UtteranceRecognizer> &utterance = resolved.utterance;
    const FinishedUtterance &finished = resolved.finished;
    const std::optional<QString> &enrollmentName = finished.enrollmentName;
    const int enrollmentGeneration = finished.enrollmentGeneration;
    const bool hasVoice =
        std::any_of(finished.stretches.begin(), finished.stretches.end(),
                    [](const VoiceStretch &stretch) { return stretch.statistics.has_value(); });
    // The task is cancelled here rather than where the text arrived: that may be the
    // recogniser's own callback thread.
    if (utterance) {
        utterance->cancelTask();
        std::erase_if(m_finishing,
                      [&utterance](const auto &weak) { return weak.expired() || weak.lock() == utterance; });
    }

    const QString trimmed = Text::trimmed(resolved.text);
    if (trimmed.isEmpty()) {
        // Nothing was understood: the check-in waits for the next utterance.
        if (enrollmentName)
            requeueEnrollment(*enrollmentName, enrollmentGeneration);
    } else {
        // Without a voice vector there is nothing to enrol; the check-in shown to the user is
        // still open, so the next utterance takes it.
        if (enrollmentName && !hasVoice)
            requeueEnrollment(*enrollmentName, enrollmentGeneration);
        const SpeakerRoster::Attribution attribution =
            m_roster.attribute(trimmed, resolved.words, enrollmentName, finished.stretches);
        postToMain([this, attribution, start = finished.start, enrollmentName] {
            addSegments(attribution, start, attribution.enrolled ? enrollmentName : std::nullopt);
        });
    }
    reportIfFinished();
}

void MeetingSession::requeueEnrollment(const QString &name, int generation)
{
    // A check-in begun or cancelled since the name was taken wins.
    if (generation == m_enrollmentGeneration && !m_enrollmentNameQueued)
        m_enrollmentNameQueued = name;
}

void MeetingSession::reportIfFinished()
{
    if (m_stopped && m_utterancesHandled == m_utterancesFinished)
        postToMain([this] {
            if (!m_isRunning)
                emit finishedProcessing();
        });
}

std::shared_ptr<SpeechRecognizer> MeetingSession::findRecognizer() const
{
    if (!m_recognizers)
        return nullptr;
    for (const QString &localeName : {QLocale().name(), u"en_US"_s}) {
        std::shared_ptr<SpeechRecognizer> recognizer = m_recognizers(localeName);
        if (recognizer && recognizer->isAvailable())
            return recognizer;
    }
    return nullptr;
}

// ---- Published state (main thread) ----

void MeetingSession::addSegments(const SpeakerRoster::Attribution &attribution, double start,
                                 const std::optional<QString> &enrolledName)
{
    setLiveText({});
    if (enrolledName) {
        setPendingEnrollmentName({});
        setEnrollmentHint(u"Mapped voice → "_s + *enrolledName);
    }
    setSpeakerNames(attribution.labels);
    for (qsizetype i = 0; i < attribution.turns.size(); ++i) {
        const VoiceTurn &turn = attribution.turns[i];
        const QString &label = attribution.turnLabels[i];
        // A name learned now also relabels the voice's earlier segments.
        for (MeetingSegment &segment : m_segments) {
            if (segment.speakerIndex == turn.speakerIndex)
                segment.speakerLabel = label;
        }
        m_segments.append({QUuid::createUuid(), turn.speakerIndex, label, turn.text, m_clock.now(),
                           start + turn.start, start + turn.end});
    }
    emit segmentsChanged();
}

void MeetingSession::relabelSegments(int index, const QString &label)
{
    bool changed = false;
    for (MeetingSegment &segment : m_segments) {
        if (segment.speakerIndex == index && segment.speakerLabel != label) {
            segment.speakerLabel = label;
            changed = true;
        }
    }
    if (changed)
        emit segmentsChanged();
}

void MeetingSession::setSegments(QList<MeetingSegment> segments)
{
    if (m_segments.isEmpty() && segments.isEmpty())
        return;
    m_segments = std::move(segments);
    emit segmentsChanged();
}
