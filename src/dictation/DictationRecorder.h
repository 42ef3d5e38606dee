#pragma once

#include "dictation/DictationEngine.h"
#include "platform/SpeechRecognizer.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

class AudioInput;
class QObject;

// The working part of DictationEngine: the recording's state behind one lock, shared with the
// callbacks of the audio input, the recogniser, the stop timer and the restarts. They hold it
// weakly, so whichever of them comes after the engine has gone finds nothing to do.
class DictationRecorder : public std::enable_shared_from_this<DictationRecorder>
{
public:
    struct Callbacks
    {
        std::function<void(const QString &)> onPartial;
        std::function<void(float)> onLevel;
        std::function<void(const QString &)> onError;
    };
    struct Stop
    {
        quint64 recording = 0;
        bool alreadyFinished = false; // nothing more will come from the recogniser
    };
    struct StopProgress
    {
        bool resolved = false; // the stop has its text (or it is another recording's)
        // Samples of captured audio the recogniser has yet to decode; none: it has decoded
        // everything, only its last word is missing.
        std::size_t backlog = 0;
        bool handingOver = false; // audio is on its way to one more request
    };

    DictationRecorder(AudioInput &input, SpeechRecognizerProvider recognizers, QObject *context)
        : m_input(input), m_recognizers(std::move(recognizers)), m_context(context)
    {}

    std::optional<DictationError> start(Callbacks callbacks, bool onDeviceOnly);
    Stop beginStop(std::function<void(const DictationTranscript &)> done);
    StopProgress stopProgress(quint64 recording);
    // Only the first call after a stop has an effect; with a recording number, only while that
    // recording is the current one. `cutShort`: the recogniser has not had its last word.
    void resolveStop(std::optional<quint64> recording, bool cutShort);
    void stopInternals();
    // The engine is going: nothing more is scheduled on its thread.
    void detach();

private:
    // `carried`: audio an ended task did not hear, which the new request hears first.
    std::optional<DictationError> beginRecognitionRequest(std::vector<float> carried = {});
    void handleResult(quint64 generation, const RecognitionResult &result);
    void handleError(quint64 generation, const RecognitionError &error);
    // A task ended while the stop waits: what it left unheard goes to one more request.
    void continueStopLater(quint64 generation);
    void continueStop(quint64 generation);
    // Begins a request for the audio the ended task did not hear and ends its audio; false when
    // there was none, or no request could begin.
    bool settleUnheardAudio();
    void commitCurrentPartial();
    void restartRecognitionIfNeeded(quint64 generation);
    void restartNow(quint64 generation);
    void emitCombined();
    void takeBuffer(std::span<const float> samples);
    void inputEnded(const QString &reason);
    void tearDownAfterStop(quint64 recording);
    void post(std::function<void()> job);
    std::shared_ptr<const Callbacks> callbacks();

    AudioInput &m_input;
    const SpeechRecognizerProvider m_recognizers;

    // Used on the engine's thread only.
    std::shared_ptr<SpeechRecognizer> m_recognizer;
    bool m_partialsReviseWholeTask = false; // guarded by m_mutex
    double m_sampleRate = 0.0;
    bool m_inputStarted = false;

    // Written on the engine's thread under m_taskMutex, read there freely and elsewhere under it.
    // Never held together with m_mutex, nor while calling back.
    // A task that has ended keeps the audio it did not hear until the next request takes it over,
    // so nothing said after a pause is lost.
    std::mutex m_taskMutex;
    std::unique_ptr<RecognitionTask> m_task;

    std::mutex m_mutex;
    QObject *m_context;
    std::shared_ptr<const Callbacks> m_callbacks;
    bool m_isRunning = false;
    bool m_isStopping = false;
    bool m_audioEnded = false;     // the input ended by itself; no new task can hear anything
    bool m_taskFinished = false;   // the current task has delivered its final result or an error
    bool m_continuingStop = false; // a task ended during the stop; its unheard audio is being passed on
    QString m_committedText;
    QString m_currentPartial;
    // Never reset, so an event of an earlier recording's task cannot pass for the current one.
    quint64 m_recognitionGeneration = 0;
    quint64 m_recording = 0;
    std::function<void(const DictationTranscript &)> m_finalContinuation;
};
