#pragma once

#include "platform/SpeechModel.h"
#include "platform/SphinxDecoder.h"

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// The loaded decoders of one model. A decoder is not thread-safe, so each running task borrows
// one of its own: an idle one, the one being loaded in the background, or a fresh one when tasks
// overlap. Each holds its own copy of the models, about 90 MB, so only `maxIdle` returned
// decoders are kept: dictation and meetings rarely run two tasks at once (a task hands its
// decoder back before it reports its final result), and an overlap costs one load.
class DecoderPool
{
public:
    explicit DecoderPool(SpeechModel model, std::size_t maxIdle = 1);

    const SpeechModel &model() const { return m_model; }

    // Loads one decoder into the pool; blocks for the load, so call it off the main thread.
    void preload();
    // Blocks until a decoder is free or loaded; null with `error` set when the model fails.
    std::unique_ptr<SphinxDecoder> acquire(QString *error);
    void release(std::unique_ptr<SphinxDecoder> decoder);
    // A load has failed: the model is broken.
    bool hasFailed() const;

private:
    std::unique_ptr<SphinxDecoder> load(QString *error);

    const SpeechModel m_model;
    const std::size_t m_maxIdle;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<SphinxDecoder>> m_idle;
    int m_loading = 0;        // loads in progress that will land in m_idle
    int m_waitingForLoad = 0; // acquirers counting on one of those
    bool m_failed = false;
};
