#pragma once

#include <QDateTime>

// A point in time as stored in the data files: seconds (with fraction) since
// 2001-01-01 00:00:00 UTC. The double is kept as read so files round-trip exactly; converting
// to QDateTime rounds to milliseconds.
struct Timestamp
{
    double secondsSinceReference = 0.0;

    static Timestamp fromDateTime(const QDateTime &moment);
    QDateTime toDateTime() const;

    friend bool operator==(const Timestamp &, const Timestamp &) = default;
    friend auto operator<=>(const Timestamp &, const Timestamp &) = default;
};
