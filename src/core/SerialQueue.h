#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A worker thread that runs jobs one at a time in the order they were posted. The thread is
// started with the first job. Destruction runs every job still queued, then joins.
class SerialQueue
{
public:
    explicit SerialQueue(QString label);
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    const QString &label() const { return m_label; }

    void post(std::function<void()> job);
    // Blocks until every job posted before this call has run.
    void waitUntilIdle();

private:
    void run();

    const QString m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};
