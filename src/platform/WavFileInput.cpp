#include "platform/WavFileInput.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr sf_count_t kBufferFrames = 2048;

struct SndFileCloser
{
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

} // namespace

struct WavFileInput::OpenedFile
{
    SndFilePtr file;
    SF_INFO info{};
    QString error;
};

namespace {

std::shared_ptr<WavFileInput::OpenedFile> openFile(const QString &path)
{
    auto opened = std::make_shared<WavFileInput::OpenedFile>();
    QString why;
    if (path == u"-") {
        opened->file.reset(sf_open_fd(STDIN_FILENO, SFM_READ, &opened->info, SF_FALSE));
    } else if (const QFileInfo fileInfo(path); !fileInfo.exists()) {
        why = QStringLiteral("no such file");
    } else if (fileInfo.isFile() && fileInfo.size() == 0) {
        why = QStringLiteral("the file is empty");
    } else {
        opened->file.reset(sf_open(QFile::encodeName(path).constData(), SFM_READ, &opened->info));
    }
    if (why.isEmpty() && !opened->file)
        why = QString::fromUtf8(sf_strerror(nullptr));
    else if (why.isEmpty() && (opened->info.samplerate <= 0 || opened->info.channels <= 0))
        why = QStringLiteral("not an audio file");
    if (!why.isEmpty()) {
        opened->file.reset();
        opened->error = QStringLiteral("Cannot read “%1”: %2")
                            .arg(path == u"-" ? QStringLiteral("standard input") : path, why);
    }
    return opened;
}

} // namespace

WavFileInput::WavFileInput(QString path, Pacing pacing) : m_path(std::move(path)), m_pacing(pacing) {}

WavFileInput::~WavFileInput()
{
    stop();
}

AudioFormat WavFileInput::format()
{
    const std::lock_guard lock(m_mutex);
    // A stream can be opened only once: its header is read here, its samples by start().
    if (m_format.sampleRate > 0)
        return m_format;
    auto opened = openFile(m_path);
    m_error = opened->error;
    if (!opened->file)
        return {};
    m_format = {double(opened->info.samplerate), opened->info.channels};
    m_unplayed = std::move(opened);
    return m_format;
}

std::shared_ptr<WavFileInput::OpenedFile> WavFileInput::takeOpenedFile()
{
    const std::lock_guard lock(m_mutex);
    auto opened = std::exchange(m_unplayed, nullptr);
    if (!opened)
        opened = openFile(m_path);
    m_error = opened->error;
    if (opened->file)
        m_format = {double(opened->info.samplerate), opened->info.channels};
    return opened;
}

std::optional<QString> WavFileInput::start(BufferHandler onBuffer)
{
    if (m_thread.isCurrentThread())
        return QStringLiteral("A recording cannot be restarted from its own thread");
    m_thread.stop(); // a new start ends the previous playback even when this file is unreadable
    const std::shared_ptr<OpenedFile> opened = takeOpenedFile();
    if (!opened->file)
        return opened->error;

    m_thread.start([this, opened, onBuffer = std::move(onBuffer)](std::stop_token stop) {
        const int channels = opened->info.channels;
        const double rate = opened->info.samplerate;
        std::vector<float> interleaved(size_t(kBufferFrames) * size_t(channels));
        std::vector<float> samples(kBufferFrames);
        std::mutex pacingMutex;
        std::condition_variable_any pacingWake;
        const auto startedAt = std::chrono::steady_clock::now();
        sf_count_t delivered = 0;

        while (!stop.stop_requested()) {
            const sf_count_t frames = sf_readf_float(opened->file.get(), interleaved.data(), kBufferFrames);
            if (frames <= 0)
                break;
            for (sf_count_t i = 0; i < frames; ++i) {
                // A float file may hold NaN or infinity, which no consumer of audio can take.
                const float sample = interleaved[size_t(i) * size_t(channels)];
                samples[size_t(i)] = std::isfinite(sample) ? sample : 0.0f;
            }
            delivered += frames;
            if (m_pacing != Pacing::AsFastAsPossible) {
                // A microphone hands over a buffer once all of its frames have been heard.
                const double speed = m_pacing == Pacing::ThreeTimesRealTime ? 3.0 : 1.0;
                const auto due =
                    startedAt + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(double(delivered) / (rate * speed)));
                std::unique_lock lock(pacingMutex);
                pacingWake.wait_until(lock, stop, due, [] { return false; });
                if (stop.stop_requested())
                    break;
            }
            onBuffer(std::span<const float>(samples.data(), size_t(frames)));
        }
        if (stop.stop_requested())
            return;
        const int error = sf_error(opened->file.get());
        QString reason = QStringLiteral("end of file");
        if (error != SF_ERR_NO_ERROR)
            reason = QStringLiteral("cannot read further: ") + QString::fromUtf8(sf_error_number(error));
        if (onEnded)
            onEnded(reason);
    });
    return std::nullopt;
}

void WavFileInput::stop()
{
    m_thread.stop();
}

QString WavFileInput::errorString() const
{
    const std::lock_guard lock(m_mutex);
    return m_error;
}
