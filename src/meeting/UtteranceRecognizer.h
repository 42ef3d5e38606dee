#pragma once

#include "platform/SpeechRecognizer.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

class DelayedJobQueue;

// Recognises one utterance of a meeting with a recognition task of its own, so a slow
// recognition never holds up the next utterance. After finish() the text is delivered exactly
// once: at the final result, at an error (the text so far), or when the time limit runs out
// (the latest partial text), whichever comes first. The limit counts only once the recogniser has
// caught up with the audio it was given: one that lags behind (a busy machine, a recording read
// faster than it plays) is still working on what was said, and is given up on only after a minute.
//
// The task itself is only touched by the owner's thread (append, finish, cancelTask): it is
// never cancelled or destroyed on the recogniser's own callback thread.
class UtteranceRecognizer : public std::enable_shared_from_this<UtteranceRecognizer>
{
public:
    using TextHandler = std::function<void(const QString &text)>;
    // The final text and, when the recogniser reports them, its words with their times.
    using CompletionHandler = std::function<void(const QString &text, const QList<RecognizedWord> &words)>;

    // Starts recognising at once; without a recogniser there is no task and finish() delivers
    // an empty text at the time limit. `onPartial` gets every partial and final text, on the
    // recogniser's thread.
    static std::shared_ptr<UtteranceRecognizer> start(const std::shared_ptr<SpeechRecognizer> &recognizer,
                                                      double sampleRate, TextHandler onPartial);
    ~UtteranceRecognizer();
    UtteranceRecognizer(const UtteranceRecognizer &) = delete;
    UtteranceRecognizer &operator=(const UtteranceRecognizer &) = delete;

    void append(std::span<const float> samples);
    // Ends the audio. `completion` runs once, on the recogniser's thread or the time-out queue's;
    // the time-out keeps this object alive until then.
    void finish(CompletionHandler completion, DelayedJobQueue &timeouts, std::chrono::milliseconds limit);
    // Stops the task and withdraws a pending completion.
    void cancelTask();
    // The recogniser has given its final result (or failed): audio appended now is not heard.
    bool hasEnded() const { return m_ended.load(); }

private:
    explicit UtteranceRecognizer(TextHandler onPartial);
    void resolveAfter(DelayedJobQueue &timeouts, std::chrono::milliseconds limit,
                      std::chrono::steady_clock::time_point giveUpAt);
    void handle(const std::optional<RecognitionResult> &result, const std::optional<RecognitionError> &error);
    void resolve();

    const TextHandler m_onPartial;
    // Shared only with the time-out's check of its backlog, which never outlives the owner's use.
    std::shared_ptr<RecognitionTask> m_task;

    std::atomic<bool> m_ended = false;
    std::mutex m_lock; // guards the four below
    QString m_latest;
    QList<RecognizedWord> m_latestWords;
    CompletionHandler m_completion;
    bool m_cancelled = false;
};
