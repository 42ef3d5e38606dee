#pragma once

#include "platform/SpeechModel.h"
#include "platform/SphinxDecoder.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The loaded decoders of one model. A decoder is not thread-safe, so each running task borrows
// one of its own: an idle one, the one being loaded in the background, or a fresh one when tasks
// overlap. Each holds its own copy of the models, about 90 MB, so only `maxIdle` returned
// decoders are kept: dictation and meetings rarely run two tasks at once (a task hands its
// decoder back before it reports its final result), and an overlap costs one load. When decoding
// lags far behind (a busy machine, a long meeting) tasks pile up; at most `maxLive` decoders
// exist then, and the other tasks wait for one, their audio kept, instead of each loading its own.
class DecoderPool
{
public:
    explicit DecoderPool(SpeechModel model, std::size_t maxIdle = 1, std::size_t maxLive = 2);

    const SpeechModel &model() const { return m_model; }

    // Loads one decoder into the pool; blocks for the load, so call it off the main thread.
    void preload();
    // Blocks until a decoder is free or loaded (or one may be loaded); null with `error` set when
    // the model fails, or null without an error once `abandoned` says the task no longer wants one.
    std::unique_ptr<SphinxDecoder> acquire(QString *error, const std::function<bool()> &abandoned = {});
    void release(std::unique_ptr<SphinxDecoder> decoder);
    // A load has failed: the model is broken.
    bool hasFailed() const;

private:
    std::unique_ptr<SphinxDecoder> load(QString *error);

    const SpeechModel m_model;
    const std::size_t m_maxIdle;
    const std::size_t m_maxLive;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<SphinxDecoder>> m_idle;
    int m_loading = 0;            // loads in progress that will land in m_idle
    int m_waitingForLoad = 0;     // acquirers counting on one of those
    std::size_t m_loadingOwn = 0; // loads in progress for the acquirer that started them
    std::size_t m_lent = 0;       // decoders out with tasks
    bool m_failed = false;
};
