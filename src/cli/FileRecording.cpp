#include "cli/FileRecording.h"

FileRecording::FileRecording(const QString &path, WavFileInput::Pacing pacing) : m_file(path, pacing) {}

std::optional<QString> FileRecording::start(BufferHandler onBuffer)
{
    m_file.onEnded = [this](const QString &reason) {
        if (onEndOfRecording)
            onEndOfRecording(reason);
    };
    return m_file.start(std::move(onBuffer));
}
