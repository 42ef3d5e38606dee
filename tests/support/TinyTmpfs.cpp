#include "support/TinyTmpfs.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

TinyTmpfs::TinyTmpfs(const QString &folder, qint64 bytes) : m_folder(folder)
{
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0)
        m_mounted = true;
    else
        m_error = QStringLiteral("cannot mount a tmpfs here (needs root): ") +
                  QString::fromLocal8Bit(std::strerror(errno));
}

TinyTmpfs::~TinyTmpfs()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

bool TinyTmpfs::fill()
{
    QFile filler(m_folder + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    return true;
}

void TinyTmpfs::freeSpace()
{
    QFile::remove(m_folder + QStringLiteral("/.filler"));
}
