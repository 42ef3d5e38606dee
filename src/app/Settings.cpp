#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Settings {

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Dictrava/Dictrava.conf");
}

std::unique_ptr<QSettings> open()
{
    // The file holds the usage device id and the user's name: private, like the data folder.
    // QSettings replaces the file keeping its mode, so making it 0600 once is enough.
    const QString path = filePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (QDir().mkpath(folder))
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile file(path);
    if (file.exists() || file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace Settings
