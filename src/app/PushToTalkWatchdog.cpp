#include "app/PushToTalkWatchdog.h"

PushToTalkWatchdog::PushToTalkWatchdog(std::chrono::milliseconds limit)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(limit);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (onExpired)
            onExpired();
    });
}
