#pragma once

#include <QByteArray>
#include <QString>

#include <pulse/pulseaudio.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

// A source as the server describes it.
struct PulseSource
{
    QByteArray name;
    pa_sample_spec sampleFormat{};
    bool isMonitor = false; // the monitor of an output, not something to speak into
};

// One client connection to the PulseAudio server, driven by a main loop of its own that runs
// on whichever thread uses the connection. Every wait has a deadline and ends early when the
// stop token is triggered, so a silent or stuck server never blocks the caller for long.
class PulseConnection
{
public:
    using Clock = std::chrono::steady_clock;

    // `server` as in PULSE_SERVER; empty for the session's server.
    explicit PulseConnection(const QByteArray &server);
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Connects; says why not on failure.
    std::optional<QString> connect(Clock::time_point deadline, std::stop_token stop = {});
    // Absent when the server names no default source or does not answer in time.
    std::optional<PulseSource> defaultSource(Clock::time_point deadline, std::stop_token stop = {});
    std::vector<PulseSource> sources(Clock::time_point deadline, std::stop_token stop = {});

    // Runs the loop until `done` holds (true), or the deadline passes, the stop token triggers or
    // the loop fails (false).
    bool runUntil(const std::function<bool()> &done, Clock::time_point deadline, std::stop_token stop = {});
    // One turn of the loop, waiting for an event; false when the loop cannot go on.
    bool iterate();
    // Interrupts a waiting iterate() or runUntil(); any thread.
    void wakeUp();

    pa_context *context() const { return m_context; }
    bool isConnected() const;
    // The server's account of the last failure, such as "Connection terminated".
    QString lastError() const;

private:
    bool await(pa_operation *operation, Clock::time_point deadline, std::stop_token stop);

    QByteArray m_server;
    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
};
