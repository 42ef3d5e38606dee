#include "dictation/TextCleaner.h"

#include "core/Regex.h"
#include "core/Text.h"

#include <QHash>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <array>
#include <mutex>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Whole-word filler patterns, in the order they are stripped. The comma is part of "like,",
// "basically," and friends: without it those words carry meaning and stay.
const std::vector<Regex> &fillerPatterns()
{
    static const std::vector<Regex> patterns = [] {
        static constexpr std::array<QStringView, 13> fillers = {
            u"um",       u"uh",      u"uhm",      u"erm",      u"hmm",        u"like,",    u"you know,",
            u"you know", u"i mean,", u"sort of,", u"kind of,", u"basically,", u"actually,"};
        std::vector<Regex> compiled;
        compiled.reserve(fillers.size());
        for (const QStringView filler : fillers)
            compiled.emplace_back(u"(?i)(^|\\s)"_s + Regex::escapePattern(filler.toString()) +
                                  u"(\\s|,|$)"_s);
        return compiled;
    }();
    return patterns;
}

// The same few dictionary phrases come back on every recording, so their patterns are kept.
// Bounded, because the dictionary can be edited without limit while the app runs.
Regex dictionaryPattern(const QString &spoken)
{
    constexpr qsizetype maxCachedPatterns = 512;
    constexpr qsizetype maxCachedPhraseLength = 256;
    static std::mutex mutex;
    static QHash<QString, Regex> cache;

    const std::lock_guard lock(mutex);
    if (const auto it = cache.constFind(spoken); it != cache.cend())
        return *it;
    Regex pattern(u"(?i)\\b"_s + Regex::escapePattern(spoken) + u"\\b"_s);
    if (spoken.size() <= maxCachedPhraseLength) {
        if (cache.size() >= maxCachedPatterns)
            cache.clear();
        cache.insert(spoken, pattern);
    }
    return pattern;
}

QStringView lastCharacter(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    return QStringView(text).sliced(finder.toPreviousBoundary());
}

} // namespace

QString TextCleaner::collapseWhitespace(const QString &text)
{
    static const Regex whitespaceRun(u"\\s{2,}"_s);
    static const Regex spaceBeforeMark(u"\\s+([.,!?;:])"_s);
    const QString collapsed = whitespaceRun.replaceAll(text, u" "_s);
    return Text::trimmed(spaceBeforeMark.replaceAll(collapsed, u"$1"_s));
}

QString TextCleaner::coalesce(const QString &text)
{
    // The recogniser closes a sentence at every pause; a lower-case word after the mark shows
    // the speaker was not done.
    static const Regex markBeforeLowerCase(u"([.!?])\\s+([a-z])"_s);
    static const Regex spaceBeforeComma(u"\\s+,"_s);
    QString result = collapseWhitespace(text);
    result = markBeforeLowerCase.replaceAll(result, u" $2"_s);
    result = spaceBeforeComma.replaceAll(result, u","_s);
    return collapseWhitespace(result);
}

QString TextCleaner::stripFillers(const QString &text)
{
    QString result = text;
    for (const Regex &filler : fillerPatterns())
        result = filler.replaceAll(result, u"$1"_s);
    return collapseWhitespace(result);
}

QString TextCleaner::applyDictionary(const QString &text, const QList<DictionaryEntry> &entries)
{
    QString result = text;
    for (const DictionaryEntry &entry : entries) {
        if (entry.spoken.isEmpty())
            continue;
        const Regex pattern = dictionaryPattern(entry.spoken);
        bool applied = false;
        QString replaced = pattern.replaceAll(result, entry.written, &applied);
        // A template naming a group the phrase lacks ("$5 off") or ending in a lone backslash
        // would otherwise fail the whole replacement; the user meant those characters.
        if (!applied)
            replaced = pattern.replaceAll(result, Regex::escapeTemplate(entry.written));
        result = replaced;
    }
    return result;
}

QString TextCleaner::capitalize(const QString &text)
{
    if (text.isEmpty())
        return text;
    static const Regex sentenceStart(u"([.!?]\\s+)([a-z])"_s);
    QString result = Text::capitalizeFirst(text);
    // Raising a letter cannot create a sentence start before it, so each search resumes where
    // the last one ended instead of rescanning the text once per sentence.
    qsizetype from = 0;
    while (const auto match = sentenceStart.firstMatch(result, from)) {
        const qsizetype letter = match->end - 1;
        result[letter] = result[letter].toUpper();
        from = match->end;
    }
    return result;
}

QString TextCleaner::punctuate(const QString &text)
{
    QString trimmed = Text::trimmed(text);
    if (trimmed.isEmpty())
        return trimmed;
    static const QString closingMarks = u".!?,;:"_s;
    const QStringView last = lastCharacter(trimmed);
    if (last.size() == 1 && closingMarks.contains(last.front()))
        return trimmed;
    return trimmed + u'.';
}
