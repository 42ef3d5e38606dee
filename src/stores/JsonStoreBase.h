#pragma once

#include "core/SerialQueue.h"

#include <QByteArray>
#include <QString>

#include <atomic>

#include <functional>
#include <optional>

// The file side of a store: where its JSON file lives, the one synchronous read at start-up,
// and ordered background writes. A file that exists but cannot be read or decoded is moved
// aside before the first write replaces it, so nothing the user had is destroyed silently.
class JsonStoreBase
{
public:
    explicit JsonStoreBase(const QString &fileName, const QString &folder);
    ~JsonStoreBase();
    JsonStoreBase(const JsonStoreBase &) = delete;
    JsonStoreBase &operator=(const JsonStoreBase &) = delete;

    const QString &filePath() const { return m_path; }

    // Blocks until every save made so far is on disk (or has failed).
    void flush();
    // flush() for every store alive in the process; the app and the CLI call it on the way out.
    static void flushAll();

protected:
    // The file's bytes; nothing when it is missing or cannot be read.
    std::optional<QByteArray> readFile();
    // The file was read but its contents are not a valid list of records.
    void markUnreadable() { m_keepBeforeNextWrite = true; }
    void write(std::function<QByteArray()> encode);

private:
    bool keepUnreadableCopy() const;

    QString m_fileName;
    QString m_path;
    std::atomic<bool> m_keepBeforeNextWrite = false; // set at load, consumed by the writer
    SerialQueue m_queue;
};
