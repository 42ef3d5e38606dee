#pragma once

#include "platform/AudioInput.h"
#include "platform/InputThread.h"

#include <QString>

#include <memory>
#include <mutex>

// A recording played in place of the microphone: any file libsndfile reads (WAV, FLAC, AIFF…),
// at its own rate, channel 0 only. Used by the CLI and by tests. The path may also name a pipe
// or a FIFO, or be "-" for standard input: a stream is opened once, by the first format() or
// start(), and read as it comes.
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
    // the last buffer. A second start() plays a file from its beginning again.
    std::optional<QString> start(BufferHandler onBuffer) override;
    void stop() override;

    // Why the last format() or start() could not read the file; empty when it could.
    QString errorString() const;

    struct OpenedFile;

private:
    // The file opened by format() and not played yet, or a newly opened one.
    std::shared_ptr<OpenedFile> takeOpenedFile();

    const QString m_path;
    const Pacing m_pacing;
    InputThread m_thread;
    mutable std::mutex m_mutex; // guards the three below
    QString m_error;
    std::shared_ptr<OpenedFile> m_unplayed;
    AudioFormat m_format; // of the last file opened
};
