#pragma once

#include <QString>

// The longest transcript the app takes in one piece, in UTF-8 bytes. An hour of speech is far
// less; the limit keeps every record small enough to store, read back and answer with over D-Bus.
namespace TranscriptLimit {

inline constexpr qsizetype kMaximumBytes = 64 * 1024;

inline bool exceeds(const QString &text)
{
    // Up to three UTF-8 bytes per UTF-16 unit: only a long text needs encoding to tell.
    return text.size() * 3 > kMaximumBytes && text.toUtf8().size() > kMaximumBytes;
}

inline QString explain(const QString &text)
{
    return QStringLiteral("the text is too long (") + QString::number(text.toUtf8().size()) +
           QStringLiteral(" bytes; at most ") + QString::number(kMaximumBytes) + QStringLiteral(")");
}

} // namespace TranscriptLimit
