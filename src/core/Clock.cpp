#include "core/Clock.h"

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

ManualClock::ManualClock(const QDateTime &start) : m_msecsSinceEpoch(start.toMSecsSinceEpoch()) {}

QDateTime ManualClock::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_msecsSinceEpoch.load());
}

void ManualClock::set(const QDateTime &moment)
{
    m_msecsSinceEpoch.store(moment.toMSecsSinceEpoch());
}

void ManualClock::advance(qint64 seconds)
{
    m_msecsSinceEpoch.fetch_add(seconds * 1000);
}
