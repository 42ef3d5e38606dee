#pragma once

#include <QString>

// Text helpers shared by the cleaners and parsers. A "character" is a user-perceived character
// (an extended grapheme cluster), not a UTF-16 unit.
namespace Text {

// Removes white space and line breaks from both ends.
QString trimmed(const QString &text);

qsizetype characterCount(const QString &text);

// The first `count` characters of the text (all of it when shorter).
QString firstCharacters(const QString &text, qsizetype count);

// The first character replaced by its full Unicode upper-case form (which may be longer),
// the rest unchanged. An empty text stays empty.
QString capitalizeFirst(const QString &text);

// Full Unicode upper- and lower-casing, independent of the user's locale.
QString upper(const QString &text);
QString lower(const QString &text);

} // namespace Text
