#include "planning/FocusParser.h"

#include "core/Regex.h"
#include "core/Text.h"

#include <QStringTokenizer>

namespace {

constexpr qsizetype kMaxMilestones = 6;
// Shorter pieces ("ok", "fix") are leftovers of the separators, not steps.
constexpr qsizetype kMinTitleCharacters = 4;
constexpr qsizetype kWholeNorthStarCharacters = 42;
constexpr qsizetype kShortNorthStarCharacters = 40;

// A full stop ends a statement, except between two digits ("1.5 seconds", "v2.0").
QString fullStop()
{
    return QStringLiteral("(?:(?<!\\d)\\.|\\.(?!\\d))");
}

const Regex &leadingFiller()
{
    static const Regex pattern(QStringLiteral("(?i)^(okay|ok|so|um|uh|hey)\\s+"));
    return pattern;
}

// The cue words must stand as whole words: "finished" or "goals" are not cues.
const Regex &northStarCue()
{
    static const Regex pattern(
        QStringLiteral("(?i)\\b(?:north star|goal(?: number one)?|today(?:'s)? goal|"
                       "working on|i wanna|i want to|finish)\\b\\s*[:\\-]?\\s*(.+?)(?:") %
        fullStop() % QStringLiteral("|$)"));
    return pattern;
}

QString markSeparators(const QString &text)
{
    static const QString marker = QStringLiteral("||");
    // "and then" goes first and as a whole, so no dangling "and" is left before it.
    static const Regex andThen(QStringLiteral("(?i)\\band then\\b"));
    static const Regex stepWords(
        QStringLiteral("(?i)\\b(?:first|second|third|then|next|after that|milestone|step)\\b"));
    static const Regex stops(QStringLiteral(";|") % fullStop());
    return stops.replaceAll(stepWords.replaceAll(andThen.replaceAll(text, marker), marker), marker);
}

} // namespace

QString FocusParser::tidy(const QString &text)
{
    return Text::capitalizeFirst(leadingFiller().replaceAll(Text::trimmed(text), QString()));
}

QList<FocusMilestone> FocusParser::splitMilestones(const QString &text)
{
    const QString marked = markSeparators(text);
    QList<FocusMilestone> milestones;
    // Walk the pieces lazily: a long text with thousands of separators needs only its first few steps.
    for (const QStringView piece : QStringTokenizer(marked, u"||")) {
        const QString title = tidy(piece.toString());
        if (Text::characterCount(title) < kMinTitleCharacters)
            continue;
        milestones.append(FocusMilestone::make(title));
        if (milestones.size() == kMaxMilestones)
            break;
    }
    return milestones;
}

FocusParser::Result FocusParser::parse(const QString &text)
{
    const QString trimmed = Text::trimmed(text);
    if (trimmed.isEmpty())
        return {};

    if (const std::optional<RegexMatch> cue = northStarCue().firstMatch(trimmed)) {
        // The whole statement goes, full stop included, so it cannot turn up again as a milestone.
        const QString remainder = trimmed.left(cue->start) + u' ' + trimmed.mid(cue->end);
        return {tidy(cue->captured(1)), splitMilestones(remainder)};
    }

    QList<FocusMilestone> pieces = splitMilestones(trimmed);
    if (pieces.size() < 2)
        return {tidy(trimmed), {}};
    const QString northStar = pieces.takeFirst().title;
    return {northStar, pieces};
}

QList<FocusMilestone> FocusParser::defaultMilestones(const QString &northStar)
{
    const QString scope = Text::characterCount(northStar) > kWholeNorthStarCharacters
                              ? Text::firstCharacters(northStar, kShortNorthStarCharacters) + u'\u2026'
                              : northStar;
    return {
        FocusMilestone::make(QStringLiteral("Clarify scope for: ") + scope),
        FocusMilestone::make(QStringLiteral("Execute the core work")),
        FocusMilestone::make(QStringLiteral("Ship / send / review")),
    };
}
