#pragma once

#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

// The time an animated view draws from, ticking at most `framesPerSecond` times a second and only
// while running: a stopped clock holds its last time, so what it drives freezes in place.
class AnimationClock : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool running READ isRunning WRITE setRunning NOTIFY runningChanged)
    Q_PROPERTY(
        int framesPerSecond READ framesPerSecond WRITE setFramesPerSecond NOTIFY framesPerSecondChanged)
    Q_PROPERTY(double time READ time NOTIFY timeChanged)

public:
    explicit AnimationClock(QObject *parent = nullptr);

    bool isRunning() const { return m_running; }
    void setRunning(bool running);
    int framesPerSecond() const { return m_framesPerSecond; }
    void setFramesPerSecond(int framesPerSecond);
    // Seconds since 2001-01-01 UTC, as of the last tick.
    double time() const { return m_time; }
    // Whether a timer is scheduled; false whenever the clock is stopped.
    bool isTicking() const { return m_timer.isActive(); }
    int intervalMs() const { return m_timer.interval(); }

    static double now();

signals:
    void runningChanged();
    void framesPerSecondChanged();
    void timeChanged();

private:
    void tick();

    QTimer m_timer;
    bool m_running = false;
    int m_framesPerSecond = 30;
    double m_time = 0;
};
