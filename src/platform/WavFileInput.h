#pragma once

#include "platform/AudioInput.h"
#include "platform/InputThread.h"

#include <QString>

// A recording played in place of the microphone: any file libsndfile reads (WAV, FLAC, AIFF…),
// at its own rate, channel 0 only. Used by the CLI and by tests.
class WavFileInput final : public AudioInput
{
public:
    enum class Pacing {
        AsFastAsPossible, // for transcribing a file
        RealTime,         // one buffer per 2048 frames of the file's duration, like a microphone
        // Like a microphone at triple speed: a streaming recogniser still keeps up, so pauses in
        // the recording close its tasks where a live recording would.
        ThreeTimesRealTime,
    };

    explicit WavFileInput(QString path, Pacing pacing = Pacing::AsFastAsPossible);
    ~WavFileInput() override;

    // The file's rate and channel count; a rate of 0 when the file cannot be read (see errorString()).
    AudioFormat format() override;
    // Fails with a readable text when the file cannot be read. onEnded("end of file") follows
    // the last buffer.
    std::optional<QString> start(BufferHandler onBuffer) override;
    void stop() override;

    // Why the last format() or start() could not read the file; empty when it could.
    QString errorString() const;

private:
    const QString m_path;
    const Pacing m_pacing;
    InputThread m_thread;
    mutable std::mutex m_mutex;
    QString m_error;
};
