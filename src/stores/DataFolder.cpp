#include "stores/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace DataFolder {

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Dictrava");
}

bool ensureExists(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path,
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace DataFolder
