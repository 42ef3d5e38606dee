#include "app/Settings.h"

#include <QStandardPaths>

namespace Settings {

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Dictrava/Dictrava.conf");
}

std::unique_ptr<QSettings> open()
{
    return std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
}

} // namespace Settings
