#pragma once

#include "core/SerialQueue.h"
#include "platform/SpeechRecognizer.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class ScriptedRecognizer;

// The test's handle on one task the recogniser started. Results and errors are delivered on the
// recogniser's own thread; each call returns once the handler has returned.
class ScriptedTask
{
public:
    double sampleRate() const { return m_sampleRate; }
    // What the task heard: appended before it ended, less what it left undecoded.
    qint64 samplesAppended() const;
    int endAudioCalls() const { return m_endAudioCalls.load(); }
    bool isCancelled() const { return m_cancelled.load(); }
    // Samples the task has yet to decode.
    std::atomic<std::size_t> backlog = 0;

    // Like the real recogniser, nothing reaches the handler once the task is cancelled. A task
    // that ends keeps the last `undecoded` samples it was given, and all that come after, for
    // the next task.
    void partial(const QString &text) { deliver(RecognitionResult{text, false, {}}, std::nullopt, false); }
    void finalResult(const QString &text, qint64 undecoded = 0, const QList<RecognizedWord> &words = {})
    {
        end(undecoded);
        deliver(RecognitionResult{text, true, words}, std::nullopt, false);
    }
    void fail(RecognitionError::Kind kind, const QString &description = QString())
    {
        end(0);
        deliver(std::nullopt, RecognitionError{kind, description}, false);
    }
    // A result that was already on its way when the task was cancelled.
    void deliverLate(const RecognitionResult &result) { deliver(result, std::nullopt, true); }

    // Made by ScriptedRecognizer::startTask.
    ScriptedTask(SerialQueue &thread, double sampleRate, SpeechRecognizer::Handler handler)
        : m_thread(thread), m_sampleRate(sampleRate), m_handler(std::move(handler))
    {}

private:
    friend class ScriptedTaskHandle;
    void deliver(const std::optional<RecognitionResult> &result, const std::optional<RecognitionError> &error,
                 bool evenIfCancelled);
    void end(qint64 undecoded);

    SerialQueue &m_thread;
    const double m_sampleRate;
    const SpeechRecognizer::Handler m_handler;
    // Held while delivering, so cancel() waits for a delivery in progress (recursive: a handler may
    // cancel its own task).
    std::recursive_mutex m_cancelMutex;
    mutable std::mutex m_audioMutex; // guards the three below
    qint64 m_samples = 0;
    std::vector<float> m_unheard;
    bool m_ended = false;
    std::atomic<int> m_endAudioCalls = 0;
    std::atomic<bool> m_cancelled = false;
};

// A speech recogniser whose tasks the test drives. It must outlive the tasks it starts.
class ScriptedRecognizer final : public SpeechRecognizer
{
public:
    explicit ScriptedRecognizer(QString locale = QStringLiteral("en_US"));

    bool isAvailable() const override { return available; }
    QString localeIdentifier() const override { return m_locale; }
    bool supportsOnDeviceRecognition() const override { return true; }
    bool partialsReviseWholeTask() const override { return wholeTaskPartials; }
    std::unique_ptr<RecognitionTask> startTask(double sampleRate, Handler handler) override;

    // A provider that finds this recogniser for the given locale names only.
    static SpeechRecognizerProvider providerFor(const std::shared_ptr<ScriptedRecognizer> &recognizer,
                                                const QStringList &locales);

    int taskCount() const;
    // Null when that task has not started.
    std::shared_ptr<ScriptedTask> task(int index) const;
    std::shared_ptr<ScriptedTask> lastTask() const { return task(taskCount() - 1); }
    // Spins the event loop until `count` tasks have started.
    bool waitForTasks(int count, int timeoutMs = 2000) const;

    std::atomic<bool> available = true;
    std::atomic<bool> wholeTaskPartials = false;
    // startTask() gives no task, as a recogniser that cannot load its model does.
    std::atomic<bool> refuseTasks = false;

private:
    const QString m_locale;
    SerialQueue m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<ScriptedTask>> m_tasks;
};
