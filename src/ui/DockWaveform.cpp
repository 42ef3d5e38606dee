#include "ui/DockWaveform.h"

#include <cmath>

double DockWaveform::barHeight(int index, int count, double time, double level)
{
    const double wave = 0.5 + 0.5 * std::sin(0.45 * index + 7.5 * time);
    const double amplitude = 0.9 * level + 0.35;
    const double centre = (count - 1) / 2.0;
    const int half = count / 2;
    // A single bar has no ends to taper towards.
    const double taper = half > 0 ? 0.55 + 0.45 * (1.0 - std::abs(index - centre) / half) : 1.0;
    return amplitude * 22.0 * wave * taper + 6.0;
}

QColor DockWaveform::barColor(int index, double time, double level)
{
    const double hue = 0.52 + 0.08 * std::sin(2.0 * time + 0.2 * index);
    return QColor::fromHsvF(static_cast<float>(hue), 0.65f, 0.95f, static_cast<float>(0.55 + 0.4 * level));
}

double DockWaveform::dotOpacity(double time)
{
    return 0.55 + 0.45 * std::abs(std::sin(6.0 * time));
}

double DockWaveform::glowOpacity(double level)
{
    return 0.25 + 0.35 * level;
}
