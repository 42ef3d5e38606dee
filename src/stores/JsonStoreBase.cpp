#include "stores/JsonStoreBase.h"

#include "core/Diagnostics.h"
#include "stores/AtomicFile.h"
#include "stores/DataFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mutex>
#include <set>

namespace {

// Larger files are not data this app wrote; reading them would only cost memory.
constexpr qint64 kMaximumFileSize = 256LL * 1024 * 1024;

std::mutex &registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<JsonStoreBase *> &registry()
{
    static std::set<JsonStoreBase *> stores;
    return stores;
}

} // namespace

JsonStoreBase::JsonStoreBase(const QString &fileName, const QString &folder)
    : m_fileName(fileName), m_path(folder + QLatin1Char('/') + fileName),
      m_queue(QStringLiteral("com.korvo.dictrava.store"))
{
    DataFolder::ensureExists(folder);
    std::lock_guard lock(registryMutex());
    registry().insert(this);
}

JsonStoreBase::~JsonStoreBase()
{
    {
        std::lock_guard lock(registryMutex());
        registry().erase(this);
    }
    flush();
}

void JsonStoreBase::flush()
{
    m_queue.waitUntilIdle();
}

void JsonStoreBase::flushAll()
{
    std::lock_guard lock(registryMutex());
    for (JsonStoreBase *store : registry())
        store->flush();
}

std::optional<QByteArray> JsonStoreBase::readFile()
{
    QFile file(m_path);
    if (!file.exists())
        return std::nullopt;
    if (file.size() > kMaximumFileSize || !file.open(QIODevice::ReadOnly)) {
        markUnreadable();
        return std::nullopt;
    }
    return file.readAll();
}

void JsonStoreBase::write(std::function<QByteArray()> encode)
{
    m_queue.post([this, encode = std::move(encode)] {
        if (m_keepBeforeNextWrite) {
            if (!keepUnreadableCopy())
                return; // never replace what we could not move aside; the next save tries again
            m_keepBeforeNextWrite = false;
        }
        AtomicFile::write(m_path, encode());
    });
}

bool JsonStoreBase::keepUnreadableCopy() const
{
    if (!QFileInfo::exists(m_path))
        return true;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString keptName = m_fileName + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(QFileInfo(m_path).dir().filePath(keptName)); ++n)
        keptName =
            m_fileName + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    const QString keptPath = QFileInfo(m_path).dir().filePath(keptName);
    if (!QFile::rename(m_path, keptPath)) {
        printDiagnostic(
            QStringLiteral("[Store] ") + m_fileName +
            QStringLiteral(" could not be read and could not be moved aside; not overwriting it"));
        return false;
    }
    printDiagnostic(QStringLiteral("[Store] ") + m_fileName +
                    QStringLiteral(" could not be read; kept it as ") + keptName);
    return true;
}
