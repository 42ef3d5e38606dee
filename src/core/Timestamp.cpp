#include "core/Timestamp.h"

#include <cmath>

namespace {
constexpr qint64 kReferenceMSecsSinceEpoch = 978307200000LL; // 2001-01-01T00:00:00Z
// QDateTime covers far more than this; the clamp only keeps absurd stored values from overflowing.
constexpr double kLimitSeconds = 1.0e14;
} // namespace

Timestamp Timestamp::fromDateTime(const QDateTime &moment)
{
    const qint64 msecs = moment.toMSecsSinceEpoch() - kReferenceMSecsSinceEpoch;
    return Timestamp{static_cast<double>(msecs) / 1000.0};
}

QDateTime Timestamp::toDateTime() const
{
    double seconds = secondsSinceReference;
    if (!std::isfinite(seconds))
        seconds = 0.0;
    seconds = std::clamp(seconds, -kLimitSeconds, kLimitSeconds);
    const auto msecs = static_cast<qint64>(std::llround(seconds * 1000.0));
    return QDateTime::fromMSecsSinceEpoch(kReferenceMSecsSinceEpoch + msecs);
}
