#include "ui/AnimationClock.h"

#include <QDateTime>

#include <algorithm>

namespace {

// 2001-01-01T00:00:00Z in Unix seconds.
constexpr qint64 kReferenceEpoch = 978307200;

int intervalFor(int framesPerSecond)
{
    // Rounded up so the rate never exceeds the cap.
    return (1000 + framesPerSecond - 1) / framesPerSecond;
}

} // namespace

AnimationClock::AnimationClock(QObject *parent) : QObject(parent), m_time(now())
{
    // A precise timer: a coarse one may fire early and break the frame-rate cap.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalFor(m_framesPerSecond));
    connect(&m_timer, &QTimer::timeout, this, &AnimationClock::tick);
}

double AnimationClock::now()
{
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch() - kReferenceEpoch * 1000) / 1000.0;
}

void AnimationClock::setRunning(bool running)
{
    if (m_running == running)
        return;
    m_running = running;
    if (running) {
        tick();
        m_timer.start();
    } else {
        m_timer.stop();
    }
    emit runningChanged();
}

void AnimationClock::setFramesPerSecond(int framesPerSecond)
{
    framesPerSecond = std::clamp(framesPerSecond, 1, 120);
    if (m_framesPerSecond == framesPerSecond)
        return;
    m_framesPerSecond = framesPerSecond;
    m_timer.setInterval(intervalFor(framesPerSecond));
    emit framesPerSecondChanged();
}

void AnimationClock::tick()
{
    m_time = now();
    emit timeChanged();
}
