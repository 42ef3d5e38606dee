#include "stores/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray &contents)
{
    const char *data = contents.constData();
    qsizetype remaining = contents.size();
    while (remaining > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(remaining));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        remaining -= written;
    }
    return true;
}

void syncDirectory(const QByteArray &directory)
{
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace AtomicFile {

bool write(const QString &path, const QByteArray &contents, int *error)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + kTemporarySuffix + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC); // created with mode 0600
    const auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    if (fd < 0)
        return fail(errno);
    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed || ::rename(temporary.constData(), target.constData()) != 0) {
        const int code = !written ? writeError : !closed ? closeError : errno;
        ::unlink(temporary.constData());
        return fail(code);
    }
    syncDirectory(QFile::encodeName(QFileInfo(path).absolutePath()));
    return true;
}

} // namespace AtomicFile
