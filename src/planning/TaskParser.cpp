#include "planning/TaskParser.h"

#include "core/Clock.h"
#include "core/Regex.h"
#include "core/Text.h"

#include <QDateTime>
#include <QSet>
#include <QtNumeric>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype kMinimumChunkLength = 3;
constexpr qsizetype kMinimumTitleLength = 3;
constexpr int kInitialDefaultHour = 9;
constexpr int kEveningHour = 19;
// Hours without "am"/"pm" below this are read as afternoon or evening: "at 3" means 15:00.
constexpr int kFirstMorningHour = 8;
// About 273,000 years either side of 1970: beyond it a reminder counts as having no date.
constexpr qint64 kLimitMSecs = 8'640'000'000'000'000;

struct TimeOfDay
{
    int hour = 0;
    int minute = 0;
};

QStringList splitIntoChunks(const QString &text)
{
    // Case-sensitive on purpose: "Next week call mom" must stay whole, while "call mom next" is cut.
    static const std::array<Regex, 9> separators = {
        Regex(uR"(\band then\b)"_s),
        Regex(uR"(\bthen\b)"_s),
        Regex(uR"(\balso\b)"_s),
        Regex(uR"(\bplus\b)"_s),
        Regex(uR"(\bafter that\b)"_s),
        Regex(uR"(\bnext\b)"_s),
        Regex(uR"(\band I (?:have to|need to|gotta|must)\b)"_s),
        Regex(uR"(\bI (?:also )?(?:have to|need to|gotta|must)\b)"_s),
        Regex(u"[.;!]"_s),
    };
    const QString marker = u"||"_s;
    QString marked = text;
    for (const Regex &separator : separators)
        marked = separator.replaceAll(marked, marker);

    QStringList chunks;
    for (const QString &piece : marked.split(marker)) {
        const QString chunk = Text::trimmed(piece);
        if (!chunk.isEmpty())
            chunks.append(chunk);
    }
    return chunks;
}

QString stripMetaPhrases(const QString &chunk)
{
    static const std::array<Regex, 5> metaPhrases = {
        Regex(uR"((?i)^(hey|okay|ok|so|um|uh)\s+)"_s),
        Regex(uR"((?i)\b(tomorrow|today|tonight|tmrw|the day after tomorrow|next week)\b)"_s),
        Regex(uR"((?i)\bi (?:just )?(?:want to|wanna|need to|have to|gotta|must|should)\b)"_s),
        Regex(uR"((?i)\b(?:remember(?: me)? to|remind me to|don't forget to)\b)"_s),
        Regex(uR"((?i)\bfor (?:this|that) person\b)"_s),
    };
    static const Regex runOfSpaces(uR"(\s{2,})"_s);
    const QString space = u" "_s;
    QString text = chunk;
    for (const Regex &phrase : metaPhrases)
        text = phrase.replaceAll(text, space);
    return Text::trimmed(runOfSpaces.replaceAll(text, space));
}

// The chunk's day offset, or `previousOffset` when it names no day. Saying "tonight" moves the
// default hour to the evening for this and every later chunk.
int dayOffsetOf(const QString &lowerChunk, int previousOffset, int &defaultHour)
{
    if (lowerChunk.contains(u"day after tomorrow"))
        return 2;
    if (lowerChunk.contains(u"tomorrow") || lowerChunk.contains(u"tmrw"))
        return 1;
    const bool tonight = lowerChunk.contains(u"tonight");
    if (tonight || lowerChunk.contains(u"today")) {
        if (tonight)
            defaultHour = kEveningHour;
        return 0;
    }
    if (lowerChunk.contains(u"next week"))
        return 7;
    return previousOffset;
}

// "\d" matches any decimal digit, not only ASCII ones, so read each digit's value.
int decimalValue(const QString &digits)
{
    int value = 0;
    for (const char32_t c : digits.toUcs4())
        value = value * 10 + std::max(QChar::digitValue(c), 0);
    return value;
}

std::optional<TimeOfDay> extractTime(const QString &lowerChunk)
{
    static const Regex timePattern(uR"(\bat\s+(\d{1,2})(?::(\d{2}))?\s*(am|pm)?)"_s);
    const std::optional<RegexMatch> match = timePattern.firstMatch(lowerChunk);
    if (!match)
        return std::nullopt;
    int hour = decimalValue(match->captured(1));
    const int minute = match->matched(2) ? decimalValue(match->captured(2)) : 0;
    if (!match->matched(3)) {
        if (hour < kFirstMorningHour)
            hour += 12;
    } else if (match->captured(3) == u"pm") {
        if (hour < 12)
            hour += 12;
    } else if (hour == 12) {
        hour = 0;
    }
    return TimeOfDay{std::clamp(hour, 0, 23), std::clamp(minute, 0, 59)};
}

QStringList extractPeople(const QString &chunk)
{
    // Case-insensitive, so the capital-letter classes accept any case: "with sarah" finds Sarah.
    static const std::array<Regex, 2> patterns = {
        Regex(uR"(\b(?:for|with|to)\s+([A-Z][a-zA-Z'-]{1,20})(?:\s+and\s+([A-Z][a-zA-Z'-]{1,20}))?)"
              uR"((?:\s+and\s+([A-Z][a-zA-Z'-]{1,20}))?)"_s,
              Regex::Case::Insensitive),
        Regex(uR"(\b(?:for|with)\s+([a-z]{2,20})(?:\s+and\s+([a-z]{2,20}))?(?:\s+and\s+([a-z]{2,20}))?)"_s,
              Regex::Case::Insensitive),
    };
    static const QSet<QString> stopWords = {
        u"school"_s,  u"work"_s,     u"home"_s,  u"review"_s,  u"app"_s,    u"store"_s,
        u"meeting"_s, u"tomorrow"_s, u"today"_s, u"tonight"_s, u"this"_s,   u"that"_s,
        u"them"_s,    u"him"_s,      u"her"_s,   u"the"_s,     u"my"_s,     u"our"_s,
        u"your"_s,    u"task"_s,     u"thing"_s, u"stuff"_s,   u"person"_s,
    };

    QStringList people;
    QSet<QString> known; // lower-case forms of `people`
    for (const Regex &pattern : patterns) {
        for (const RegexMatch &match : pattern.allMatches(chunk)) {
            for (int group = 1; group <= 3; ++group) {
                if (!match.matched(group))
                    continue;
                const QString candidate = match.captured(group);
                if (stopWords.contains(Text::lower(candidate)))
                    continue;
                const QString name = Text::capitalizeFirst(candidate);
                const QString key = Text::lower(name);
                if (known.contains(key))
                    continue;
                known.insert(key);
                people.append(name);
            }
        }
    }
    return people;
}

QString tidyTitle(const QString &text)
{
    QString title = Text::trimmed(text);
    if (title.isEmpty())
        return title;
    title = Text::capitalizeFirst(title);
    while (title.endsWith(u'.') || title.endsWith(u','))
        title.chop(1);
    return Text::trimmed(title);
}

// The given wall-clock time on the day `dayOffset` calendar days from today, in local time.
QDateTime localMoment(const QDate &today, int dayOffset, TimeOfDay time)
{
    const QDate day = today.addDays(dayOffset);
    const QTime clockTime(time.hour, time.minute);
    QDateTime moment(day, clockTime);
    if (moment.isValid())
        return moment;
    // The time falls in a daylight-saving gap (02:30 on the spring change): read it with the offset
    // in force before the change, which lands it as far past the gap as it was into it (03:30).
    const QDateTime asUtc(day, clockTime, Qt::UTC);
    const int offsetBefore = asUtc.addDays(-1).toLocalTime().offsetFromUtc();
    const QDateTime shifted = asUtc.addSecs(-offsetBefore).toLocalTime();
    return shifted.isValid() ? shifted : day.startOfDay();
}

// Whole minutes, truncated toward zero. A lead that is not finite, or whose minutes do not fit a
// 64-bit integer, would poison the date arithmetic; it counts as the default instead.
qint64 leadInMinutes(double hours)
{
    constexpr double kTwoToThe63 = 9223372036854775808.0;
    const double minutes = hours * 60.0;
    if (!std::isfinite(minutes) || minutes >= kTwoToThe63 || minutes < -kTwoToThe63)
        return static_cast<qint64>(TaskParser::kDefaultReminderLeadHours * 60.0);
    return static_cast<qint64>(minutes);
}

// Nothing when the result would leave the range of dates.
std::optional<QDateTime> minutesBefore(const QDateTime &moment, qint64 minutes)
{
    qint64 offset = 0;
    qint64 result = 0;
    if (qMulOverflow(minutes, qint64(60'000), &offset) ||
        qSubOverflow(moment.toMSecsSinceEpoch(), offset, &result))
        return std::nullopt;
    if (result > kLimitMSecs || result < -kLimitMSecs)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(result);
}

std::optional<Timestamp> timestampOf(const std::optional<QDateTime> &moment)
{
    if (!moment)
        return std::nullopt;
    return Timestamp::fromDateTime(*moment);
}

} // namespace

QList<DictraTask> TaskParser::parse(const QString &transcript, double reminderLeadHours,
                                    const Clock &clock) const
{
    const QString text = Text::trimmed(transcript);
    if (text.isEmpty())
        return {};

    const QDateTime now = clock.now();
    const QDate today = now.date();
    const qint64 leadMinutes = leadInMinutes(reminderLeadHours);
    const Timestamp createdAt = Timestamp::fromDateTime(now);

    QList<DictraTask> tasks;
    const auto addTask = [&](const QString &title, const QStringList &people, const QDateTime &due,
                             const std::optional<QDateTime> &remind) {
        DictraTask task;
        task.id = QUuid::createUuid();
        task.title = title;
        task.people = people;
        task.dueAt = Timestamp::fromDateTime(due);
        task.remindAt = timestampOf(remind);
        task.createdAt = createdAt;
        task.sourceTranscript = transcript;
        tasks.append(std::move(task));
    };

    int dayOffset = 0;
    int defaultHour = kInitialDefaultHour;
    for (const QString &chunk : splitIntoChunks(text)) {
        if (Text::characterCount(chunk) < kMinimumChunkLength)
            continue;
        const QString lowerChunk = Text::lower(chunk);
        // The day carries to the next chunk even when this one gives no task ("Okay so tomorrow").
        dayOffset = dayOffsetOf(lowerChunk, dayOffset, defaultHour);
        const QString title = tidyTitle(stripMetaPhrases(chunk));
        if (Text::characterCount(title) < kMinimumTitleLength)
            continue;

        const TimeOfDay time = extractTime(lowerChunk).value_or(TimeOfDay{defaultHour, 0});
        const QDateTime due = localMoment(today, dayOffset, time);
        std::optional<QDateTime> remind = minutesBefore(due, leadMinutes);
        // A reminder that would already be past fires at the due time instead.
        if (remind && *remind <= now)
            remind = due;
        addTask(title, extractPeople(chunk), due, remind);
    }

    if (tasks.isEmpty()) {
        // Nothing looked like a task: keep the whole plan as one task for tomorrow morning rather
        // than lose it. Bare punctuation would tidy to an empty title; then it stays as spoken.
        const QString tidied = tidyTitle(text);
        const QDateTime due = localMoment(today, 1, TimeOfDay{kInitialDefaultHour, 0});
        addTask(tidied.isEmpty() ? text : tidied, {}, due, minutesBefore(due, leadMinutes));
    }
    return tasks;
}
