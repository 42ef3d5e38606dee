#include "meeting/UtteranceRecognizer.h"

#include "core/DelayedJobQueue.h"
#include "core/Diagnostics.h"

#include <utility>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {
constexpr auto kGiveUpLimit = 60s;
}

UtteranceRecognizer::UtteranceRecognizer(TextHandler onPartial) : m_onPartial(std::move(onPartial)) {}

UtteranceRecognizer::~UtteranceRecognizer()
{
    if (m_task)
        m_task->cancel();
}

std::shared_ptr<UtteranceRecognizer>
UtteranceRecognizer::start(const std::shared_ptr<SpeechRecognizer> &recognizer, double sampleRate,
                           TextHandler onPartial)
{
    std::shared_ptr<UtteranceRecognizer> utterance(new UtteranceRecognizer(std::move(onPartial)));
    if (recognizer) {
        // Held weakly: a late result for an utterance that has been delivered and released
        // finds nothing to do.
        std::weak_ptr<UtteranceRecognizer> weak = utterance;
        utterance->m_task = recognizer->startTask(sampleRate, [weak](const auto &result, const auto &error) {
            if (const auto self = weak.lock())
                self->handle(result, error);
        });
    }
    return utterance;
}

void UtteranceRecognizer::append(std::span<const float> samples)
{
    if (samples.empty() || !m_task)
        return;
    m_task->append(samples);
}

void UtteranceRecognizer::finish(CompletionHandler completion, DelayedJobQueue &timeouts,
                                 std::chrono::milliseconds limit)
{
    {
        std::lock_guard lock(m_lock);
        m_completion = std::move(completion);
    }
    if (m_task)
        m_task->endAudio();
    resolveAfter(timeouts, limit, std::chrono::steady_clock::now() + kGiveUpLimit);
}

void UtteranceRecognizer::resolveAfter(DelayedJobQueue &timeouts, std::chrono::milliseconds limit,
                                       std::chrono::steady_clock::time_point giveUpAt)
{
    timeouts.postAfter(limit,
                       [self = shared_from_this(), task = std::weak_ptr(m_task), &timeouts, limit, giveUpAt] {
                           const std::shared_ptr<RecognitionTask> held = task.lock();
                           if (held && held->backlog() > 0 && std::chrono::steady_clock::now() < giveUpAt)
                               self->resolveAfter(timeouts, limit, giveUpAt);
                           else
                               self->resolve();
                       });
}

void UtteranceRecognizer::cancelTask()
{
    {
        std::lock_guard lock(m_lock);
        m_completion = nullptr;
        m_cancelled = true;
    }
    if (m_task) {
        m_task->cancel();
        m_task.reset();
    }
}

void UtteranceRecognizer::handle(const std::optional<RecognitionResult> &result,
                                 const std::optional<RecognitionError> &error)
{
    {
        std::lock_guard lock(m_lock);
        // A result that crossed the cancellation must not show up as live text.
        if (m_cancelled)
            return;
        if (result) {
            m_latest = result->text;
            m_latestWords = result->words;
        }
    }
    if ((result && result->isFinal) || error)
        m_ended = true;
    if (result) {
        if (m_onPartial)
            m_onPartial(result->text);
        if (result->isFinal)
            resolve();
    }
    if (error) {
        if (error->kind == RecognitionError::Kind::Failed)
            printDiagnostic(u"[Meeting] recognition error="_s + error->description);
        resolve();
    }
}

void UtteranceRecognizer::resolve()
{
    CompletionHandler completion;
    QString text;
    QList<RecognizedWord> words;
    {
        std::lock_guard lock(m_lock);
        // A final result before finish() delivers nothing yet: the time-out delivers its text.
        if (!m_completion)
            return;
        completion = std::exchange(m_completion, nullptr);
        text = m_latest;
        words = m_latestWords;
    }
    completion(text, words);
}
