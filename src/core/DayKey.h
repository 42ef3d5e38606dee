#pragma once

#include <QDateTime>
#include <QString>

// The calendar day of a moment in the local time zone, as "yyyy-MM-dd". Compared as text.
QString dayKey(const QDateTime &moment);
