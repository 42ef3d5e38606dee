#include "core/DelayedJobQueue.h"

#include <utility>

DelayedJobQueue::~DelayedJobQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    // The dropped jobs are destroyed here, outside the lock: they may own objects whose
    // destructors take locks of their own.
    m_jobs.clear();
}

void DelayedJobQueue::postAfter(std::chrono::milliseconds delay, std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.emplace(std::chrono::steady_clock::now() + delay, std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void DelayedJobQueue::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_jobs.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const TimePoint due = m_jobs.begin()->first;
        if (std::chrono::steady_clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        std::function<void()> job = std::move(m_jobs.begin()->second);
        m_jobs.erase(m_jobs.begin());
        lock.unlock();
        job();
        job = nullptr; // released before the lock is taken again
        lock.lock();
    }
}
