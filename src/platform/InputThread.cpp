#include "platform/InputThread.h"

namespace {
thread_local const InputThread *t_current = nullptr;
} // namespace

InputThread::~InputThread()
{
    stop();
}

void InputThread::start(std::function<void(std::stop_token)> loop)
{
    const std::lock_guard lock(m_mutex);
    joinLocked();
    m_stop = std::stop_source();
    m_thread = std::thread([this, token = m_stop.get_token(), loop = std::move(loop)] {
        t_current = this;
        loop(token);
        t_current = nullptr;
    });
}

void InputThread::stop()
{
    if (isCurrentThread()) {
        m_stop.request_stop();
        return;
    }
    const std::lock_guard lock(m_mutex);
    joinLocked();
}

bool InputThread::isCurrentThread() const
{
    return t_current == this;
}

void InputThread::joinLocked()
{
    m_stop.request_stop();
    if (m_thread.joinable())
        m_thread.join();
}
