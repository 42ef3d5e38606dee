#pragma once

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// The dock station's drawing maths: bar heights and colours at time t (seconds) and level L (0…1).
class DockWaveform : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int barCount READ barCount CONSTANT)

public:
    static constexpr int kBarCount = 28;

    using QObject::QObject;
    int barCount() const { return kBarCount; }

    // A ripple that runs along the row, tapered towards both ends: at least 6 points high.
    Q_INVOKABLE static double barHeight(int index, int count, double time, double level);
    // Cyan to blue, drifting with time; more opaque the louder the input.
    Q_INVOKABLE static QColor barColor(int index, double time, double level);
    // The red dot's pulse.
    Q_INVOKABLE static double dotOpacity(double time);
    // The glow brightens with the level.
    Q_INVOKABLE static double glowOpacity(double level);
};
