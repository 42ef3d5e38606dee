#include "core/Diagnostics.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {
std::atomic<bool> toStandardError = false;
} // namespace

void printDiagnostic(const QString &line)
{
    static std::mutex mutex;
    const QByteArray bytes = line.toUtf8() + '\n';
    std::FILE *stream = toStandardError ? stderr : stdout;
    std::lock_guard lock(mutex);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void printDiagnosticsToStandardError()
{
    toStandardError = true;
}
