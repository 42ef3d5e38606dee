#include "ui/HourStepper.h"

#include <algorithm>

HourStepper::HourStepper(QString prefix, int minimum, int maximum, std::function<int()> read,
                         std::function<void(int)> write, QObject *parent)
    : QObject(parent), m_prefix(std::move(prefix)), m_minimum(minimum), m_maximum(maximum),
      m_read(std::move(read)), m_write(std::move(write))
{}

QString HourStepper::label() const
{
    return m_prefix + QString::number(hour()) + u":00"_qs;
}

void HourStepper::step(int delta)
{
    if ((delta < 0 && !canDecrease()) || (delta > 0 && !canIncrease()))
        return;
    m_write(std::clamp(hour() + delta, m_minimum, m_maximum));
}
