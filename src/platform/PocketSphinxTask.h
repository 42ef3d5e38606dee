#pragma once

#include "platform/SpeechRecognizer.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class DecoderPool;

// What a task's handle and its worker thread share.
struct SphinxTaskState
{
    SphinxTaskState(double rate, SpeechRecognizer::Handler onEvent)
        : sampleRate(rate), handler(std::move(onEvent))
    {}

    const double sampleRate;

    std::mutex mutex; // guards the fields up to `worker`
    std::condition_variable wake;
    std::vector<float> pending; // appended audio the worker has not taken yet
    // Audio the task will not decode: what was still queued when it ended, and what came after.
    std::vector<float> unheard;
    bool audioEnded = false;
    bool cancelled = false;
    bool finished = false;        // the final result or an error was delivered
    std::size_t decodingLeft = 0; // samples the worker has taken and not decoded yet
    std::thread::id worker;

    // Held while the handler runs, so that cancel() can wait for a callback in flight.
    std::mutex deliveryMutex;
    SpeechRecognizer::Handler handler; // used by the worker only
};

// The caller's handle of one recognition; dropping it cancels the task.
class PocketSphinxTask : public RecognitionTask
{
public:
    explicit PocketSphinxTask(std::shared_ptr<SphinxTaskState> state) : m_state(std::move(state)) {}
    ~PocketSphinxTask() override;

    void append(std::span<const float> samples) override;
    void endAudio() override;
    std::vector<float> takeUnheardAudio() override;
    std::size_t backlog() const override;
    // Waits for a callback in flight on another thread; so never call it while holding a lock
    // that the handler takes.
    void cancel() override;

    static void cancelTask(SphinxTaskState &state);
    // The task's own thread: borrows a decoder and recognises until the final result, an error
    // or cancellation.
    static void run(SphinxTaskState &state, DecoderPool &pool);

private:
    std::shared_ptr<SphinxTaskState> m_state;
};
