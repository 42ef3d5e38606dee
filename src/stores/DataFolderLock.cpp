#include "stores/DataFolderLock.h"

#include "stores/DataFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(50);

} // namespace

DataFolderLock::DataFolderLock(QString folder) : m_folder(std::move(folder)) {}

DataFolderLock::~DataFolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

bool DataFolderLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    if (!DataFolder::ensureExists(m_folder)) {
        m_error = QStringLiteral("cannot create ") + m_folder;
        return false;
    }
    const QByteArray path = QFile::encodeName(m_folder + QStringLiteral("/.lock"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(path) + QStringLiteral(": ") +
                  QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        m_error = errno == EWOULDBLOCK ? QString() : QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    m_error.clear();
    m_fd = fd;
    return true;
}

DataFolderLock::Outcome DataFolderLock::acquire(const std::function<bool()> &holderAnswers,
                                                std::chrono::milliseconds patience)
{
    const auto answers = [&] { return holderAnswers && holderAnswers(); };
    if (tryLock())
        return Outcome::Acquired;
    if (!m_error.isEmpty())
        return Outcome::Failed;
    if (answers())
        return Outcome::HolderAnswers;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kRetryInterval);
        if (tryLock())
            return Outcome::Acquired;
        if (!m_error.isEmpty())
            return Outcome::Failed;
    }
    // A holder that was still starting may have come onto the bus meanwhile.
    return answers() ? Outcome::HolderAnswers : Outcome::HolderSilent;
}
