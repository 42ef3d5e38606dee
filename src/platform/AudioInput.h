#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <span>

// The format buffers arrive in. A sample rate of 0 means there is no input to record from.
struct AudioFormat
{
    double sampleRate = 0.0;
    int channels = 0;
};

// A source of audio: the microphone, or a recording played in its place. Buffers of 2048 frames
// of channel 0 as 32-bit floats are delivered on the input's own thread, at the format's rate.
class AudioInput
{
public:
    using BufferHandler = std::function<void(std::span<const float> samples)>;

    virtual ~AudioInput() = default;

    // The format start() will deliver; asks the sound server (or reads the file header).
    virtual AudioFormat format() = 0;
    // Begins delivery, or says why it cannot.
    virtual std::optional<QString> start(BufferHandler onBuffer) = 0;
    // Ends delivery; no buffer is delivered after it returns.
    virtual void stop() = 0;

    // The input ended by itself (end of a recording, the sound server went away), with the
    // reason; called on the input's thread after the last buffer.
    std::function<void(const QString &reason)> onEnded;
};
