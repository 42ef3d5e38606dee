#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// One background thread that runs each job once its delay has passed, earliest first. Jobs
// still waiting when the queue is destroyed are dropped, not run.
class DelayedJobQueue
{
public:
    DelayedJobQueue() = default;
    ~DelayedJobQueue();
    DelayedJobQueue(const DelayedJobQueue &) = delete;
    DelayedJobQueue &operator=(const DelayedJobQueue &) = delete;

    void postAfter(std::chrono::milliseconds delay, std::function<void()> job);

private:
    using TimePoint = std::chrono::steady_clock::time_point;

    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::multimap<TimePoint, std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};
