#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Dates and times as the user's locale writes them in lists: a short month name with day and
// year ("Dec 6, 2026", "6. Dez. 2026"), and the short time ("3:05 PM", "15:05").
namespace DateLabels {

QString abbreviatedDate(const QDate &date, const QLocale &locale = {});
QString shortTime(const QTime &time, const QLocale &locale = {});
// The abbreviated date and the short time, as one label.
QString abbreviatedDateTime(const QDateTime &moment, const QLocale &locale = {});

} // namespace DateLabels
