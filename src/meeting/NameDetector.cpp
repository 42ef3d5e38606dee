#include "meeting/NameDetector.h"

#include "core/Regex.h"
#include "core/Text.h"

#include <QSet>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// Tried in order; group 1 is the name: a letter and 1 to 20 letters, apostrophes or hyphens.
const std::array<Regex, 5> &introductionPatterns()
{
    static const std::array<Regex, 5> patterns = {
        // The leading boundary keeps "the enemy name is Bob" from naming the speaker Bob.
        Regex(u"\\bmy name(?:'s| is)\\s+([A-Za-z][a-zA-Z'-]{1,20})"_s, Regex::Case::Insensitive),
        Regex(u"\\bi(?:'m| am)\\s+([A-Za-z][a-zA-Z'-]{1,20})\\b"_s, Regex::Case::Insensitive),
        Regex(u"this is\\s+([A-Za-z][a-zA-Z'-]{1,20})(?:\\s+speaking)?"_s, Regex::Case::Insensitive),
        Regex(u"\\bcall me\\s+([A-Za-z][a-zA-Z'-]{1,20})\\b"_s, Regex::Case::Insensitive),
        Regex(u"([A-Za-z][a-zA-Z'-]{1,20})\\s+here[.,!]?$"_s, Regex::Case::Insensitive),
    };
    return patterns;
}

// Words that follow "I'm", "this is" or precede "here" far more often than a name does.
bool isNeverAName(const QString &lowerCased)
{
    static const QSet<QString> words = {
        // Moods, states and fillers: "I'm fine", "this is great", "I'm just listening".
        u"good"_s, u"fine"_s, u"great"_s, u"okay"_s, u"ok"_s, u"sorry"_s, u"sure"_s, u"happy"_s, u"glad"_s,
        u"here"_s, u"not"_s, u"just"_s, u"so"_s, u"very"_s, u"really"_s, u"going"_s, u"doing"_s, u"done"_s,
        u"ready"_s, u"back"_s, u"late"_s, u"excited"_s, u"curious"_s, u"confused"_s, u"afraid"_s, u"the"_s,
        u"a"_s, u"an"_s, u"on"_s, u"in"_s, u"at"_s, u"still"_s, u"also"_s, u"now"_s, u"thinking"_s,
        u"trying"_s, u"working"_s, u"looking"_s, u"listening"_s, u"talking"_s, u"saying"_s, u"sharing"_s,
        // Who is present rather than who is speaking: "I'm here", "we're all here", "this is it".
        u"i'm"_s, u"i've"_s, u"me"_s, u"my"_s, u"we"_s, u"we're"_s, u"us"_s, u"our"_s, u"you"_s, u"you're"_s,
        u"your"_s, u"he"_s, u"he's"_s, u"him"_s, u"his"_s, u"she"_s, u"she's"_s, u"her"_s, u"it"_s, u"it's"_s,
        u"its"_s, u"they"_s, u"they're"_s, u"them"_s, u"their"_s, u"am"_s, u"is"_s, u"are"_s, u"was"_s,
        u"were"_s, u"be"_s, u"all"_s, u"everyone"_s, u"everybody"_s, u"everyone's"_s, u"everybody's"_s};
    return words.contains(lowerCased);
}

} // namespace

std::optional<QString> NameDetector::detectName(const QString &text)
{
    for (const Regex &pattern : introductionPatterns()) {
        const std::optional<RegexMatch> match = pattern.firstMatch(text);
        if (!match || !match->matched(1))
            continue;
        const QString candidate = match->captured(1);
        if (isNeverAName(Text::lower(candidate)))
            continue;
        return Text::capitalizeFirst(candidate);
    }
    return std::nullopt;
}
