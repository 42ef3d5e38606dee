#include "core/Text.h"

#include <QTextBoundaryFinder>

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace {

qsizetype endOfCharacters(const QString &text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return text.size();
        position = next;
    }
    return position;
}

template<typename Mapping>
QString mapCase(const QString &text, Mapping mapping)
{
    icu::UnicodeString converted(reinterpret_cast<const UChar *>(text.utf16()),
                                 static_cast<int32_t>(text.size()));
    mapping(converted);
    return QString(reinterpret_cast<const QChar *>(converted.getBuffer()), converted.length());
}

} // namespace

namespace Text {

QString trimmed(const QString &text)
{
    return text.trimmed();
}

qsizetype characterCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

QString firstCharacters(const QString &text, qsizetype count)
{
    if (count <= 0)
        return {};
    return text.left(endOfCharacters(text, count));
}

QString capitalizeFirst(const QString &text)
{
    if (text.isEmpty())
        return text;
    const qsizetype firstEnd = endOfCharacters(text, 1);
    return upper(text.left(firstEnd)) + text.mid(firstEnd);
}

QString upper(const QString &text)
{
    return mapCase(text, [](icu::UnicodeString &s) { s.toUpper(icu::Locale::getRoot()); });
}

QString lower(const QString &text)
{
    return mapCase(text, [](icu::UnicodeString &s) { s.toLower(icu::Locale::getRoot()); });
}

} // namespace Text
