#include "dictation/DictationRecorder.h"

#include "core/Diagnostics.h"
#include "core/Text.h"
#include "platform/AudioInput.h"

#include <QLocale>
#include <QObject>

#include <cmath>

namespace {

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString flag(bool on)
{
    return on ? u"true"_qs : u"false"_qs;
}

// 48000 → "48000.0", 44100.5 → "44100.5".
QString decimal(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::abs(value) < 1e15)
        return QString::number(value, 'f', 1);
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

std::optional<DictationError> DictationRecorder::start(Callbacks callbacks, bool onDeviceOnly)
{
    resolveStop(std::nullopt, true); // a stop still waiting gets its own text before this one begins
    stopInternals();
    {
        std::lock_guard lock(m_mutex);
        m_committedText.clear();
        m_currentPartial.clear();
        m_isRunning = true;
        m_isStopping = false;
        m_audioEnded = false;
        m_taskFinished = false;
        m_continuingStop = false;
        ++m_recording;
        m_callbacks = std::make_shared<const Callbacks>(std::move(callbacks));
    }
    const auto fail = [this](DictationError error) {
        stopInternals();
        return std::optional<DictationError>(std::move(error));
    };

    if (m_recognizers) {
        m_recognizer = m_recognizers(QLocale::system().name());
        if (!m_recognizer)
            m_recognizer = m_recognizers(u"en_US"_qs);
    }
    if (!m_recognizer || !m_recognizer->isAvailable())
        return fail({1, u"Speech recognizer unavailable"_qs});
    {
        std::lock_guard lock(m_mutex);
        m_partialsReviseWholeTask = m_recognizer->partialsReviseWholeTask();
    }
    printDiagnostic(u"[Dictation] locale="_qs + m_recognizer->localeIdentifier() + u" onDeviceSupported="_qs +
                    flag(m_recognizer->supportsOnDeviceRecognition()) + u" onDeviceOnly="_qs +
                    flag(onDeviceOnly));

    const AudioFormat format = m_input.format();
    if (!(format.sampleRate > 0))
        return fail({2, u"No microphone input available"_qs});
    printDiagnostic(u"[Dictation] mic format sampleRate="_qs + decimal(format.sampleRate) + u" channels="_qs +
                    QString::number(format.channels));
    m_sampleRate = format.sampleRate;

    const std::weak_ptr<DictationRecorder> weak = weak_from_this();
    m_input.onEnded = [weak](const QString &reason) {
        if (const auto recorder = weak.lock())
            recorder->inputEnded(reason);
    };
    if (auto error = beginRecognitionRequest())
        return fail(*error);
    if (auto error = m_input.start([weak](std::span<const float> samples) {
            if (const auto recorder = weak.lock())
                recorder->takeBuffer(samples);
        }))
        return fail({0, *error});
    m_inputStarted = true;
    emitCombined();
    return std::nullopt;
}

std::optional<DictationError> DictationRecorder::beginRecognitionRequest(std::vector<float> carried)
{
    if (!m_recognizer)
        return DictationError{1, u"Speech recognizer unavailable"_qs};
    quint64 generation = 0;
    {
        std::lock_guard lock(m_mutex);
        generation = ++m_recognitionGeneration;
        m_taskFinished = false;
    }
    // The recogniser works on the device whatever onDeviceOnly says, so there is nothing to ask.
    std::unique_ptr<RecognitionTask> task = m_recognizer->startTask(
        m_sampleRate, [weak = weak_from_this(), generation](const std::optional<RecognitionResult> &result,
                                                            const std::optional<RecognitionError> &error) {
            const auto recorder = weak.lock();
            if (!recorder)
                return;
            if (result)
                recorder->handleResult(generation, *result);
            if (error)
                recorder->handleError(generation, *error);
        });
    if (!task) { // the recogniser could not begin (no decoder): as if there were none
        std::lock_guard lock(m_mutex);
        m_taskFinished = true; // nothing will come for this generation
        return DictationError{1, u"Speech recognizer unavailable"_qs};
    }
    {
        // The audio the ended task did not hear goes first, then the tap feeds the new task.
        std::lock_guard lock(m_taskMutex);
        task->append(carried);
        if (m_task)
            task->append(m_task->takeUnheardAudio());
        std::swap(task, m_task);
    }
    if (task)
        task->cancel();
    return std::nullopt;
}

void DictationRecorder::handleResult(quint64 generation, const RecognitionResult &result)
{
    const QString text = Text::trimmed(result.text);
    std::shared_ptr<const Callbacks> callbacks;
    QString committed;
    QString combined;
    std::optional<QString> settled;
    bool stopping = false;
    bool restart = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_recognitionGeneration != generation)
            return; // a late event of a replaced task
        callbacks = m_callbacks;
        stopping = m_isStopping;
        if (result.isFinal) {
            if (!text.isEmpty())
                m_committedText = DictationEngine::join(m_committedText, text);
            m_currentPartial.clear();
            m_taskFinished = true;
            m_continuingStop = m_isStopping;
            restart = m_isRunning && !m_isStopping;
            committed = m_committedText;
        } else {
            // A partial that starts a new hypothesis: the old one was a finished segment. A
            // recogniser whose partials always cover its whole task only ever revises.
            if (!m_partialsReviseWholeTask && !m_currentPartial.isEmpty() && !text.isEmpty() &&
                !DictationEngine::isContinuation(m_currentPartial, text)) {
                settled = m_currentPartial;
                m_committedText = DictationEngine::join(m_committedText, m_currentPartial);
            }
            m_currentPartial = text;
            combined = DictationEngine::join(m_committedText, text);
        }
    }

    if (result.isFinal) {
        printDiagnostic(u"[Dictation] final="_qs + quoted(text) + u" committed="_qs + quoted(committed));
        if (callbacks->onPartial)
            callbacks->onPartial(committed);
        if (stopping)
            continueStopLater(generation);
        else if (restart)
            restartRecognitionIfNeeded(generation);
        return;
    }
    if (settled)
        printDiagnostic(u"[Dictation] stitch commit="_qs + quoted(*settled) + u" next="_qs + quoted(text));
    printDiagnostic(u"[Dictation] partial="_qs + quoted(text) + u" combined="_qs + quoted(combined));
    if (callbacks->onPartial)
        callbacks->onPartial(combined);
}

void DictationRecorder::handleError(quint64 generation, const RecognitionError &error)
{
    // A cancelled task is a replaced one; at a stop the time limit resolves.
    if (error.kind == RecognitionError::Kind::Cancelled)
        return;
    // A task that heard nothing ends quietly, like a final without words.
    if (error.kind == RecognitionError::Kind::NoSpeech) {
        bool stopping = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_recognitionGeneration != generation)
                return;
            m_taskFinished = true;
            m_continuingStop = stopping = m_isStopping;
        }
        if (stopping)
            continueStopLater(generation);
        else
            restartRecognitionIfNeeded(generation);
        return;
    }
    std::shared_ptr<const Callbacks> callbacks;
    bool endsStop = false;
    quint64 recording = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_recognitionGeneration != generation)
            return;
        callbacks = m_callbacks;
        endsStop = m_isStopping || !m_isRunning;
        recording = m_recording;
        m_taskFinished = true;
    }
    printDiagnostic(u"[Dictation] recognition error: "_qs + error.description);
    if (endsStop) {
        if (callbacks->onError)
            callbacks->onError(error.description);
        resolveStop(recording, false);
    } else {
        // In the middle of a recording: keep what was heard and go on listening.
        commitCurrentPartial();
        restartRecognitionIfNeeded(generation);
    }
}

void DictationRecorder::continueStopLater(quint64 generation)
{
    // On the engine's thread, which owns the requests, and once the input has surely stopped.
    post([weak = weak_from_this(), generation] {
        if (const auto recorder = weak.lock())
            recorder->continueStop(generation);
    });
}

void DictationRecorder::continueStop(quint64 generation)
{
    quint64 recording = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_recognitionGeneration != generation || !m_finalContinuation) {
            m_continuingStop = false;
            return;
        }
        recording = m_recording;
    }
    const bool continued = settleUnheardAudio();
    {
        std::lock_guard lock(m_mutex);
        m_continuingStop = false;
    }
    if (!continued)
        resolveStop(recording, false);
}

bool DictationRecorder::settleUnheardAudio()
{
    std::vector<float> unheard;
    {
        // The input has stopped, so nothing more reaches the ended task.
        std::lock_guard lock(m_taskMutex);
        if (m_task)
            unheard = m_task->takeUnheardAudio();
    }
    if (unheard.empty())
        return false;
    // A recogniser that cannot begin a task has said so at the restart already.
    if (beginRecognitionRequest(std::move(unheard)))
        return false;
    std::lock_guard lock(m_taskMutex);
    m_task->endAudio();
    return true;
}

void DictationRecorder::commitCurrentPartial()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_currentPartial.isEmpty()) {
            m_committedText = DictationEngine::join(m_committedText, m_currentPartial);
            m_currentPartial.clear();
        }
    }
    emitCombined();
}

void DictationRecorder::restartRecognitionIfNeeded(quint64 generation)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_isRunning || m_isStopping || m_audioEnded)
            return;
    }
    post([weak = weak_from_this(), generation] {
        if (const auto recorder = weak.lock())
            recorder->restartNow(generation);
    });
}

void DictationRecorder::restartNow(quint64 generation)
{
    std::shared_ptr<const Callbacks> callbacks;
    {
        std::lock_guard lock(m_mutex);
        // A newer task already took over when a final and an error of one task both asked.
        if (!m_isRunning || m_isStopping || m_audioEnded || m_recognitionGeneration != generation)
            return;
        callbacks = m_callbacks;
    }
    if (const auto error = beginRecognitionRequest(); error && callbacks->onError)
        callbacks->onError(error->description); // the recording goes on
}

void DictationRecorder::emitCombined()
{
    std::shared_ptr<const Callbacks> callbacks;
    QString combined;
    {
        std::lock_guard lock(m_mutex);
        callbacks = m_callbacks;
        combined = DictationEngine::join(m_committedText, m_currentPartial);
    }
    if (callbacks && callbacks->onPartial)
        callbacks->onPartial(combined);
}

void DictationRecorder::takeBuffer(std::span<const float> samples)
{
    {
        std::lock_guard lock(m_taskMutex);
        if (m_task)
            m_task->append(samples); // a task that has ended keeps it for the next one
    }
    const std::shared_ptr<const Callbacks> callbacks = this->callbacks();
    if (callbacks && callbacks->onLevel)
        callbacks->onLevel(DictationEngine::level(samples));
}

void DictationRecorder::inputEnded(const QString &reason)
{
    std::shared_ptr<const Callbacks> callbacks;
    {
        std::lock_guard lock(m_mutex);
        if (!m_isRunning || m_isStopping || m_audioEnded)
            return;
        m_audioEnded = true;
        callbacks = m_callbacks;
    }
    printDiagnostic(u"[Dictation] input ended: "_qs + reason);
    // The recogniser settles what it heard; the stop at release returns it.
    {
        std::lock_guard lock(m_taskMutex);
        if (m_task)
            m_task->endAudio();
    }
    if (callbacks->onError)
        callbacks->onError(u"Microphone stopped: "_qs + reason);
}

DictationRecorder::Stop DictationRecorder::beginStop(std::function<void(const DictationTranscript &)> done)
{
    resolveStop(std::nullopt, true); // a second stop without a start: the earlier waiter gets its text first
    Stop stop;
    bool audioAlreadyEnded = false;
    std::shared_ptr<const Callbacks> callbacks;
    {
        std::lock_guard lock(m_mutex);
        m_isStopping = true;
        m_isRunning = false;
        // Stored before the audio ends, so a final result that comes at once finds the waiter.
        m_finalContinuation = std::move(done);
        stop.recording = m_recording;
        stop.alreadyFinished = m_taskFinished;
        audioAlreadyEnded = m_audioEnded;
        callbacks = m_callbacks;
    }
    if (m_inputStarted) {
        m_input.stop();
        m_inputStarted = false;
    }
    if (!m_task)
        stop.alreadyFinished = true;
    else if (stop.alreadyFinished) // ended at a pause: what came after it still needs hearing
        stop.alreadyFinished = !settleUnheardAudio();
    else if (!audioAlreadyEnded)
        m_task->endAudio();
    if (callbacks && callbacks->onLevel)
        callbacks->onLevel(0.0f);
    return stop;
}

DictationRecorder::StopProgress DictationRecorder::stopProgress(quint64 recording)
{
    StopProgress progress;
    {
        std::lock_guard lock(m_mutex);
        if (!m_finalContinuation || m_recording != recording)
            return {.resolved = true};
        progress.handingOver = m_continuingStop;
    }
    std::lock_guard lock(m_taskMutex);
    if (m_task)
        progress.backlog = m_task->backlog();
    return progress;
}

void DictationRecorder::resolveStop(std::optional<quint64> recording, bool cutShort)
{
    std::function<void(const DictationTranscript &)> done;
    QString text;
    quint64 resolved = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_finalContinuation || (recording && *recording != m_recording))
            return;
        done = std::exchange(m_finalContinuation, nullptr);
        if (!m_currentPartial.isEmpty()) {
            m_committedText = DictationEngine::join(m_committedText, m_currentPartial);
            m_currentPartial.clear();
        }
        text = m_committedText;
        resolved = m_recording;
    }
    if (cutShort)
        printDiagnostic(u"[Dictation] the recognizer did not finish; the text may be incomplete"_qs);
    post([weak = weak_from_this(), resolved] {
        if (const auto recorder = weak.lock())
            recorder->tearDownAfterStop(resolved);
    });
    done(DictationTranscript{text, cutShort});
}

void DictationRecorder::tearDownAfterStop(quint64 recording)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_recording != recording || m_isRunning)
            return; // a new recording has begun meanwhile
    }
    stopInternals();
}

void DictationRecorder::stopInternals()
{
    std::unique_ptr<RecognitionTask> task;
    {
        std::lock_guard lock(m_taskMutex);
        task = std::move(m_task);
    }
    if (task)
        task->cancel();
    task.reset();
    if (m_inputStarted) {
        m_input.stop();
        m_inputStarted = false;
    }
    m_recognizer.reset();
    std::lock_guard lock(m_mutex);
    m_isRunning = false;
}

void DictationRecorder::detach()
{
    std::lock_guard lock(m_mutex);
    m_context = nullptr;
}

void DictationRecorder::post(std::function<void()> job)
{
    // Under the lock, so the engine cannot go between the check and the posting; a job still
    // queued when it goes is dropped with it.
    std::lock_guard lock(m_mutex);
    if (m_context)
        QMetaObject::invokeMethod(m_context, std::move(job), Qt::QueuedConnection);
}

std::shared_ptr<const DictationRecorder::Callbacks> DictationRecorder::callbacks()
{
    std::lock_guard lock(m_mutex);
    return m_callbacks;
}
