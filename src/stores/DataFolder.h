#pragma once

#include <QString>

// The private folder that holds every data file: $XDG_DATA_HOME/Dictrava
// (~/.local/share/Dictrava by default).
namespace DataFolder {

QString defaultPath();

// Creates the folder and any missing parents. The folder itself is made (or tightened to)
// mode 0700: it holds the user's dictation history. Returns false when it cannot be created.
bool ensureExists(const QString &path);

} // namespace DataFolder
