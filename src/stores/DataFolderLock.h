#pragma once

#include <QString>

#include <chrono>
#include <functional>

// One writer per data folder: an exclusive flock() on a lock file inside it, held for as long as
// this object lives. The kernel drops the lock when the process ends, however it ends, so a
// crashed holder never blocks the next one.
class DataFolderLock
{
public:
    enum class Outcome {
        Acquired,      // this process is the folder's writer
        HolderAnswers, // another process holds it and `holderAnswers` said it can be reached
        HolderSilent,  // another process holds it and cannot be reached
        Failed,        // no lock file could be made (see errorString())
    };

    explicit DataFolderLock(QString folder);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // Takes the lock if it is free. Otherwise asks `holderAnswers` (may be empty) whether the
    // holder can be reached; if not, waits up to `patience` for it to let go (another short
    // run finishing its save), then asks once more.
    Outcome acquire(const std::function<bool()> &holderAnswers, std::chrono::milliseconds patience);
    bool tryLock();

    bool isHeld() const { return m_fd >= 0; }
    const QString &folder() const { return m_folder; }
    QString errorString() const { return m_error; }

private:
    QString m_folder;
    QString m_error;
    int m_fd = -1;
};
