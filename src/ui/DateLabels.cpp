#include "ui/DateLabels.h"

namespace {

bool isJoiner(QChar c)
{
    return c == u',' || c.isSpace();
}

// The locale's long date pattern without the weekday, with the month name shortened: Qt has no
// medium date format of its own.
QString abbreviatedDatePattern(const QLocale &locale)
{
    QString pattern = locale.dateFormat(QLocale::LongFormat);
    pattern.remove(u"dddd"_qs);
    pattern.replace(u"MMMM"_qs, u"MMM"_qs);
    while (!pattern.isEmpty() && isJoiner(pattern.front()))
        pattern.remove(0, 1);
    while (!pattern.isEmpty() && isJoiner(pattern.back()))
        pattern.chop(1);
    return pattern;
}

} // namespace

namespace DateLabels {

QString abbreviatedDate(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, abbreviatedDatePattern(locale));
}

QString shortTime(const QTime &time, const QLocale &locale)
{
    // Some locales (C among them) keep the seconds even in their short form.
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    pattern.remove(u":ss"_qs);
    return locale.toString(time, pattern);
}

QString abbreviatedDateTime(const QDateTime &moment, const QLocale &locale)
{
    return abbreviatedDate(moment.date(), locale) + u", "_qs + shortTime(moment.time(), locale);
}

} // namespace DateLabels
