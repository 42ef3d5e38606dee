#pragma once

#include <QString>

// A small tmpfs mounted at a folder for as long as it lives: a disk that really fills up.
// Mounting needs root (as in CI); elsewhere isMounted() is false and whyNot() says why.
class TinyTmpfs
{
public:
    TinyTmpfs(const QString &folder, qint64 bytes);
    ~TinyTmpfs();
    TinyTmpfs(const TinyTmpfs &) = delete;
    TinyTmpfs &operator=(const TinyTmpfs &) = delete;

    bool isMounted() const { return m_mounted; }
    QString whyNot() const { return m_error; }
    // Fills the free space with a file of its own; freeSpace() gives it back.
    bool fill();
    void freeSpace();

private:
    QString m_folder;
    QString m_error;
    bool m_mounted = false;
};
