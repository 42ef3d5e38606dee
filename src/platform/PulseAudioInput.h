#pragma once

#include "platform/AudioInput.h"
#include "platform/InputThread.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <future>
#include <mutex>
#include <stop_token>

// The microphone: the default source of the PulseAudio server (PipeWire desktops serve the same
// protocol). One channel (the server mixes the source's channels down) of 32-bit floats at the
// source's own rate, delivered in buffers of 2048 frames on a capture thread.
class PulseAudioInput final : public AudioInput
{
public:
    // How long the server may take to answer before it counts as absent.
    static constexpr std::chrono::milliseconds kServerTimeout{2000};

    // `server` is written as in PULSE_SERVER ("unix:/run/user/1000/pulse/native"); empty means
    // the session's own server.
    explicit PulseAudioInput(QString server = {});
    ~PulseAudioInput() override;

    // The default source's rate and channel count. A rate of 0 when there is no server, it does
    // not answer in time, or it has nothing to record from (a monitor of an output is not a
    // microphone).
    AudioFormat format() override;
    // Records at the rate format() last reported. If the server goes away, the buffers heard so
    // far are delivered and onEnded says why.
    std::optional<QString> start(BufferHandler onBuffer) override;
    void stop() override;

    // Whether the server has a source a user could speak into: the microphone answer. Like
    // format(), it may wait up to kServerTimeout for a stuck server.
    static bool hasCaptureSource(const QString &server = {});

private:
    // The capture thread: connects, reports how the start went, then delivers until stopped or
    // the server goes away.
    void record(std::stop_token stop, uint32_t rate, const BufferHandler &onBuffer,
                std::promise<std::optional<QString>> &started);

    const QByteArray m_server;
    InputThread m_thread;
    std::mutex m_mutex;
    AudioFormat m_format; // as format() last reported it
};
