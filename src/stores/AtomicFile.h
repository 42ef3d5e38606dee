#pragma once

#include <QByteArray>
#include <QString>

// Whole-file replacement that a reader never sees half done: the bytes go to a temporary file
// beside the target (mode 0600), are synced to disk, and the temporary file is renamed over
// the target.
namespace AtomicFile {

bool write(const QString &path, const QByteArray &contents);

} // namespace AtomicFile
