#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The user's settings file, $XDG_CONFIG_HOME/Dictrava/Dictrava.conf.
namespace Settings {

QString filePath();
std::unique_ptr<QSettings> open();

} // namespace Settings
