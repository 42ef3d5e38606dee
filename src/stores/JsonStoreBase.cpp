#include "stores/JsonStoreBase.h"

#include "core/Diagnostics.h"
#include "stores/AtomicFile.h"
#include "stores/DataFolder.h"
#include "stores/StoreNotices.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <set>

namespace {

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

std::optional<QByteArray> readAtMost(const QString &path, qint64 limit)
{
    QFile file(path);
    if (file.size() > limit || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
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

bool JsonStoreBase::flush()
{
    m_queue.waitUntilIdle();
    if (m_failed) {
        m_queue.post([this] {
            if (m_failed && !m_unsaved.isNull())
                store(QByteArray(m_unsaved));
        });
        m_queue.waitUntilIdle();
    }
    return !m_failed;
}

QStringList JsonStoreBase::flushAll()
{
    QStringList failures;
    std::lock_guard lock(registryMutex());
    for (JsonStoreBase *store : registry()) {
        if (!store->flush())
            failures.append(store->m_failure);
    }
    return failures;
}

std::optional<QByteArray> JsonStoreBase::readFile()
{
    if (!QFileInfo::exists(m_path))
        return std::nullopt;
    std::optional<QByteArray> bytes = readAtMost(m_path, kMaximumFileSize);
    if (!bytes)
        setAside();
    return bytes;
}

bool JsonStoreBase::setAside()
{
    int error = 0;
    const std::optional<QString> kept = keepAside(false, &error);
    if (!kept) {
        // Never replace what could not be moved; the writer tries again before each save.
        m_moveAsideBeforeWrite = true;
        printDiagnostic(QStringLiteral("[Store] ") + m_fileName +
                        QStringLiteral(" could not be read or moved: ") + StoreNotices::describeError(error));
        return false;
    }
    StoreNotices::report({StoreNotice::Kind::SetAside, m_fileName,
                          QStringLiteral("Could not read ") + StoreNotices::describeData(m_fileName) +
                              QStringLiteral("; kept the file as ") + *kept});
    return true;
}

void JsonStoreBase::keepDamagedCopy(qsizetype damagedRecords)
{
    int error = 0;
    const std::optional<QString> kept = keepAside(true, &error);
    if (!kept)
        m_moveAsideBeforeWrite = true;
    StoreNotices::report(
        {StoreNotice::Kind::SetAside, m_fileName,
         QStringLiteral("Could not read ") + QString::number(damagedRecords) +
             (damagedRecords == 1 ? QStringLiteral(" record of ") : QStringLiteral(" records of ")) +
             StoreNotices::describeData(m_fileName) +
             (kept ? QStringLiteral("; kept the file as ") + *kept : QString())});
}

std::optional<QString> JsonStoreBase::keepAside(bool copy, int *error) const
{
    const QDir folder = QFileInfo(m_path).dir();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString keptName = m_fileName + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; folder.exists(keptName); ++n)
        keptName =
            m_fileName + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    const QString keptPath = folder.filePath(keptName);
    errno = 0;
    if (copy ? QFile::copy(m_path, keptPath) : QFile::rename(m_path, keptPath))
        return keptName;
    *error = errno ? errno : EIO;
    return std::nullopt;
}

QStringList JsonStoreBase::leftovers() const
{
    const QDir folder = QFileInfo(m_path).dir();
    const QString pattern = m_fileName + QLatin1String(AtomicFile::kTemporarySuffix) + QLatin1Char('*');
    QStringList paths;
    for (const QFileInfo &info : folder.entryInfoList({pattern}, QDir::Files | QDir::Hidden, QDir::Time))
        paths.append(info.filePath());
    return paths;
}

std::optional<QByteArray> JsonStoreBase::readLeftover(const QString &path)
{
    return readAtMost(path, kMaximumFileSize);
}

void JsonStoreBase::adoptLeftover(const QString &path)
{
    if (QFile::rename(path, m_path))
        printDiagnostic(QStringLiteral("[Store] ") + m_fileName +
                        QStringLiteral(" was missing; recovered it from an interrupted save"));
}

void JsonStoreBase::removeLeftovers() const
{
    for (const QString &path : leftovers())
        QFile::remove(path);
}

void JsonStoreBase::write(std::function<QByteArray()> encode)
{
    m_queue.post([this, encode = std::move(encode)] { store(encode()); });
}

void JsonStoreBase::store(const QByteArray &bytes)
{
    int error = 0;
    bool saved = false;
    if (m_moveAsideBeforeWrite && (keepAside(false, &error) || !QFileInfo::exists(m_path)))
        m_moveAsideBeforeWrite = false;
    if (m_moveAsideBeforeWrite)
        saved = false; // never replace what we could not move aside
    else if (bytes.size() > kMaximumFileSize)
        error = EFBIG; // the reader would refuse it
    else
        saved = AtomicFile::write(m_path, bytes, &error);

    if (!saved) {
        m_unsaved = bytes;
        m_failure = QStringLiteral("Could not save ") + StoreNotices::describeData(m_fileName) +
                    QStringLiteral(": ") + StoreNotices::describeError(error);
        m_failed = true;
        StoreNotices::report({StoreNotice::Kind::SaveFailed, m_fileName, m_failure});
        return;
    }
    m_unsaved = QByteArray();
    if (m_failed.exchange(false))
        StoreNotices::report({StoreNotice::Kind::Saved, m_fileName,
                              QStringLiteral("Saved ") + StoreNotices::describeData(m_fileName)});
}
