#include "meeting/MeetingNotes.h"

#include "core/Text.h"

#include <QLocale>
#include <QTimeZone>

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Checked in this order; the first one found makes the item. Spaces are part of the phrases.
const std::array<QString, 18> &actionPhrases()
{
    static const std::array<QString, 18> phrases = {
        u"action item"_s, u"todo"_s,        u"to do"_s,     u"follow up"_s, u"follow-up"_s, u"next step"_s,
        u"will "_s,       u"i'll "_s,       u"i will "_s,   u"we will "_s,  u"let's "_s,    u"please "_s,
        u"need to "_s,    u"assigned to"_s, u"by friday"_s, u"by monday"_s, u"deadline"_s,  u"owner:"_s,
    };
    return phrases;
}

icu::UnicodeString toIcu(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

// Formats with the locale's best pattern for a skeleton (the fields wanted, not their order), in
// the moment's own time zone.
QString formatSkeleton(const QDateTime &moment, const char16_t *skeleton)
{
    QString localeName = QLocale().name();
    if (localeName == u"C"_s) // Qt's C locale reads like American English
        localeName = u"en_US_POSIX"_s;
    const icu::Locale locale(localeName.toUtf8().constData());
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_FAILURE(status) || !generator)
        return QLocale().toString(moment, QLocale::ShortFormat);
    const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString(skeleton), status);
    icu::SimpleDateFormat format(pattern, locale, status);
    if (U_FAILURE(status))
        return QLocale().toString(moment, QLocale::ShortFormat);
    format.adoptTimeZone(icu::TimeZone::createTimeZone(toIcu(QString::fromUtf8(moment.timeZone().id()))));
    icu::UnicodeString formatted;
    format.format(static_cast<UDate>(moment.toMSecsSinceEpoch()), formatted);
    return QString(reinterpret_cast<const QChar *>(formatted.getBuffer()), formatted.length());
}

} // namespace

namespace MeetingNotes {

QList<MeetingActionItem> actionItems(const QList<MeetingSegment> &segments)
{
    QList<MeetingActionItem> items;
    for (const MeetingSegment &segment : segments) {
        const QString lowered = Text::lower(segment.text);
        for (const QString &phrase : actionPhrases()) {
            if (lowered.contains(phrase)) {
                items.append({QUuid::createUuid(), segment.text, segment.speakerLabel});
                break;
            }
        }
    }
    return items;
}

int wordCount(const QList<MeetingSegment> &segments)
{
    qsizetype words = 0;
    for (const MeetingSegment &segment : segments)
        words += segment.text.split(u' ', Qt::SkipEmptyParts).size();
    return static_cast<int>(words);
}

QString elapsedDescription(const QDateTime &startedAt, const QDateTime &now)
{
    if (!startedAt.isValid())
        return u"0:00"_s;
    // A clock set back reads as no time passed rather than as a negative duration.
    const qlonglong seconds = std::max<qlonglong>(0, startedAt.msecsTo(now) / 1000);
    const qlonglong minutes = seconds / 60;
    return u"%1:%2"_s.arg(minutes).arg(seconds - 60 * minutes, 2, 10, QChar(u'0'));
}

QString markdown(const Summary &summary)
{
    QStringList lines;
    lines << u"# Meeting transcript — "_s + headerDateTime(summary.exportedAt) << QString();
    lines << u"- Duration: "_s + summary.elapsed;
    lines << u"- Speakers: "_s +
                 (summary.speakerNames.isEmpty() ? u"—"_s : summary.speakerNames.join(u", "_s));
    lines << u"- Words: "_s + QString::number(wordCount(summary.segments)) << QString();

    const QList<MeetingActionItem> items = actionItems(summary.segments);
    if (!items.isEmpty()) {
        lines << u"## Action items"_s << QString();
        for (const MeetingActionItem &item : items)
            lines << u"- [ ] **"_s + item.speakerLabel + u":** "_s + item.text;
        lines << QString();
    }

    lines << u"## Transcript"_s << QString();
    for (const MeetingSegment &segment : summary.segments) {
        lines << u"**"_s + segment.speakerLabel + u"** ("_s + segmentTime(segment.date) + u"): "_s +
                     segment.text;
        lines << QString();
    }
    return lines.join(u'\n');
}

QString headerDateTime(const QDateTime &moment)
{
    return formatSkeleton(moment, u"yMMMdjm");
}

QString segmentTime(const QDateTime &moment)
{
    return formatSkeleton(moment, u"jms");
}

} // namespace MeetingNotes
