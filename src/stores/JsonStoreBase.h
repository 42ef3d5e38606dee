#pragma once

#include "core/SerialQueue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>

#include <functional>
#include <optional>

// The file side of a store: where its JSON file lives, the one synchronous read at start-up,
// and ordered background writes. A file that cannot be read, or holds records that cannot, is
// kept aside under another name (and the user told), so nothing they had is destroyed silently.
// A save that fails keeps the data in memory, is reported, and is tried again with the next save
// or the next flush().
class JsonStoreBase
{
public:
    // Larger files are not data this app wrote: they are neither read nor written.
    static constexpr qint64 kMaximumFileSize = 256LL * 1024 * 1024;

    explicit JsonStoreBase(const QString &fileName, const QString &folder);
    ~JsonStoreBase();
    JsonStoreBase(const JsonStoreBase &) = delete;
    JsonStoreBase &operator=(const JsonStoreBase &) = delete;

    const QString &filePath() const { return m_path; }

    // Blocks until every save made so far is on disk or has failed; a last save that failed is
    // tried once more. True when the file holds the last save.
    bool flush();
    // flush() for every store alive in the process; the app and the CLI call it on the way out
    // and before they confirm anything. Why saves failed, one message per store; empty when
    // every store is saved.
    static QStringList flushAll();

protected:
    // The file's bytes; nothing when it is missing, or when it cannot be read (it is then
    // kept aside).
    std::optional<QByteArray> readFile();
    // The file was read but is not a list of records: keeps it aside. False when it cannot be
    // moved; no save replaces it then.
    bool setAside();
    // Some records could not be read: keeps a copy of the file before a save drops them.
    void keepDamagedCopy(qsizetype damagedRecords);

    // Files left by saves that were interrupted before their rename, newest first.
    QStringList leftovers() const;
    static std::optional<QByteArray> readLeftover(const QString &path);
    // Makes an interrupted save's complete file the store's file.
    void adoptLeftover(const QString &path);
    void removeLeftovers() const;

    void write(std::function<QByteArray()> encode);

private:
    void store(const QByteArray &bytes);
    std::optional<QString> keepAside(bool copy, int *error) const;

    QString m_fileName;
    QString m_path;
    std::atomic<bool> m_moveAsideBeforeWrite = false; // set at load, consumed by the writer
    std::atomic<bool> m_failed = false;
    // Touched on the queue only, and read after it is idle.
    QByteArray m_unsaved;
    QString m_failure;
    SerialQueue m_queue;
};
