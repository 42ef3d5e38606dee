#include "support/ScriptedRecognizer.h"

#include <QTest>

#include <algorithm>
#include <utility>

void ScriptedTask::deliver(const std::optional<RecognitionResult> &result,
                           const std::optional<RecognitionError> &error, bool evenIfCancelled)
{
    m_thread.post([this, result, error, evenIfCancelled] {
        std::unique_lock lock(m_cancelMutex, std::defer_lock);
        if (!evenIfCancelled) {
            lock.lock();
            if (m_cancelled)
                return;
        }
        m_handler(result, error);
    });
    m_thread.waitUntilIdle();
}

qint64 ScriptedTask::samplesAppended() const
{
    std::lock_guard lock(m_audioMutex);
    return m_samples;
}

void ScriptedTask::end(qint64 undecoded)
{
    std::lock_guard lock(m_audioMutex);
    if (m_ended)
        return;
    m_ended = true;
    undecoded = std::min(undecoded, m_samples);
    m_samples -= undecoded;
    m_unheard.assign(std::size_t(undecoded), 0.0f);
}

// What the caller owns: forwards to the shared state the test keeps looking at.
class ScriptedTaskHandle final : public RecognitionTask
{
public:
    explicit ScriptedTaskHandle(std::shared_ptr<ScriptedTask> task) : m_task(std::move(task)) {}
    ~ScriptedTaskHandle() override { cancel(); }

    void append(std::span<const float> samples) override
    {
        std::lock_guard lock(m_task->m_audioMutex);
        if (m_task->m_ended)
            m_task->m_unheard.insert(m_task->m_unheard.end(), samples.begin(), samples.end());
        else
            m_task->m_samples += static_cast<qint64>(samples.size());
    }
    void endAudio() override { ++m_task->m_endAudioCalls; }
    std::vector<float> takeUnheardAudio() override
    {
        std::lock_guard lock(m_task->m_audioMutex);
        return std::exchange(m_task->m_unheard, {});
    }
    std::size_t backlog() const override { return m_task->backlog; }
    void cancel() override
    {
        std::lock_guard lock(m_task->m_cancelMutex);
        m_task->m_cancelled = true;
    }

private:
    std::shared_ptr<ScriptedTask> m_task;
};

ScriptedRecognizer::ScriptedRecognizer(QString locale)
    : m_locale(std::move(locale)), m_thread(QStringLiteral("scripted recognizer"))
{}

std::unique_ptr<RecognitionTask> ScriptedRecognizer::startTask(double sampleRate, Handler handler)
{
    if (refuseTasks)
        return nullptr;
    auto task = std::make_shared<ScriptedTask>(m_thread, sampleRate, std::move(handler));
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(task);
    }
    return std::make_unique<ScriptedTaskHandle>(task);
}

SpeechRecognizerProvider
ScriptedRecognizer::providerFor(const std::shared_ptr<ScriptedRecognizer> &recognizer,
                                const QStringList &locales)
{
    return [recognizer, locales](const QString &locale) {
        return locales.contains(locale) ? std::static_pointer_cast<SpeechRecognizer>(recognizer) : nullptr;
    };
}

int ScriptedRecognizer::taskCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_tasks.size());
}

std::shared_ptr<ScriptedTask> ScriptedRecognizer::task(int index) const
{
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_tasks.size()))
        return nullptr;
    return m_tasks[static_cast<size_t>(index)];
}

bool ScriptedRecognizer::waitForTasks(int count, int timeoutMs) const
{
    return QTest::qWaitFor([this, count] { return taskCount() >= count; }, timeoutMs);
}
