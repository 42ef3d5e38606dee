#pragma once

#include "core/SerialQueue.h"
#include "platform/AudioInput.h"

#include <atomic>
#include <mutex>
#include <vector>

// An audio input whose buffers the test pushes. They are delivered on the input's own thread;
// each push returns once the buffer has been handled.
class FakeAudioInput final : public AudioInput
{
public:
    FakeAudioInput();

    AudioFormat format() override { return fakeFormat; }
    std::optional<QString> start(BufferHandler onBuffer) override;
    void stop() override;

    bool isRunning() const;
    int starts() const { return m_starts.load(); }

    // Dropped when the input is not running.
    void push(std::vector<float> samples);
    // `buffers` buffers of `frames` samples, every sample `value`.
    void pushConstant(float value, int buffers = 1, int frames = 2048);
    // The input ends by itself: no more buffers, then onEnded with the reason.
    void end(const QString &reason);

    AudioFormat fakeFormat{48000.0, 1};
    std::optional<QString> startFailure;

private:
    // Held while a buffer is delivered, so stop() waits for it (recursive: a handler may stop).
    mutable std::recursive_mutex m_mutex;
    BufferHandler m_handler;
    std::atomic<int> m_starts = 0;
    SerialQueue m_thread;
};
