#include "core/DayKey.h"

QString dayKey(const QDateTime &moment)
{
    return moment.toLocalTime().date().toString(QStringLiteral("yyyy-MM-dd"));
}
