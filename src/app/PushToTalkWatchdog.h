#pragma once

#include <QTimer>

#include <chrono>
#include <functional>

// Ends a push-to-talk that a compositor binding started when its release never comes: a
// compositor does not run a release binding when another key was pressed during the hold.
class PushToTalkWatchdog
{
public:
    static constexpr std::chrono::minutes defaultLimit{2};

    explicit PushToTalkWatchdog(std::chrono::milliseconds limit = defaultLimit);

    // A start without its stop yet; the limit counts from the latest start.
    void arm() { m_timer.start(); }
    void disarm() { m_timer.stop(); }

    // Called once the limit has passed with no stop.
    std::function<void()> onExpired;

private:
    QTimer m_timer;
};
