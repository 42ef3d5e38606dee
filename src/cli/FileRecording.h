#pragma once

#include "platform/WavFileInput.h"

#include <functional>

// A recording played as the microphone, whose end is the push-to-talk key coming up: the end of
// the file calls `onEndOfRecording` instead of reporting a lost input.
class FileRecording final : public AudioInput
{
public:
    FileRecording(const QString &path, WavFileInput::Pacing pacing);

    AudioFormat format() override { return m_file.format(); }
    std::optional<QString> start(BufferHandler onBuffer) override;
    void stop() override { m_file.stop(); }
    QString errorString() const { return m_file.errorString(); }

    // Called on the input's thread after the last buffer, with the reason the file ended.
    std::function<void(const QString &reason)> onEndOfRecording;

private:
    WavFileInput m_file;
};
