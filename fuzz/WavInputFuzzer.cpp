// Any bytes as a recording given to the command line: reading the header and playing the file
// to its end never crashes, and what is delivered is whole buffers of finite samples.
#include "platform/WavFileInput.h"

#include <QByteArray>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = ::memfd_create("recording", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != ssize_t(size))
        std::abort();
    {
        WavFileInput input(QStringLiteral("/proc/self/fd/") + QString::number(fd));
        std::mutex mutex;
        std::condition_variable endedChanged;
        bool ended = false;
        input.onEnded = [&](const QString &) {
            std::lock_guard lock(mutex);
            ended = true;
            endedChanged.notify_all();
        };
        if (input.format().sampleRate > 0 && !input.start([](std::span<const float> samples) {
                for (const float sample : samples) {
                    if (!std::isfinite(sample))
                        std::abort();
                }
            })) {
            std::unique_lock lock(mutex);
            endedChanged.wait(lock, [&] { return ended; });
        }
        input.stop();
    }
    ::close(fd);
    return 0;
}
