#pragma once

#include <QDateTime>

#include <atomic>

// Where "now" comes from. Logic never asks the system clock directly, so tests and
// `dictrava-cli --now` can put the app at any moment.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
};

// A clock that stands still at a chosen moment until it is moved. Used by the CLI's --now
// and by tests.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(const QDateTime &start = QDateTime::currentDateTime());

    QDateTime now() const override;
    void set(const QDateTime &moment);
    void advance(qint64 seconds);

private:
    std::atomic<qint64> m_msecsSinceEpoch;
};
