#pragma once

#include <QByteArray>
#include <QString>

// Whole-file replacement that a reader never sees half done: the bytes go to a temporary file
// beside the target (mode 0600), are synced to disk, and the temporary file is renamed over
// the target. A process killed half way leaves a "<target>.tmp-XXXXXX" file behind and the
// target as the last complete write.
namespace AtomicFile {

inline constexpr char kTemporarySuffix[] = ".tmp-";

// False when the target is unchanged; `error` then holds the errno of the step that failed.
bool write(const QString &path, const QByteArray &contents, int *error = nullptr);

} // namespace AtomicFile
