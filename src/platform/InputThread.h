#pragma once

#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

// The thread an audio input delivers its buffers on. stop() may be called from any thread,
// the input's own included (a buffer handler that ends the recording): from there it only asks
// the loop to finish, and the next start() or stop() joins the thread.
class InputThread
{
public:
    InputThread() = default;
    ~InputThread();
    InputThread(const InputThread &) = delete;
    InputThread &operator=(const InputThread &) = delete;

    // Ends any earlier loop, then runs `loop` on a new thread; the loop watches its stop token.
    void start(std::function<void(std::stop_token)> loop);
    // Asks the loop to finish and waits for it (unless called from the loop itself).
    void stop();
    // Whether the caller is running on this input's thread.
    bool isCurrentThread() const;

private:
    void joinLocked();

    std::mutex m_mutex; // serialises start and stop made from different threads
    std::stop_source m_stop;
    std::thread m_thread;
};
