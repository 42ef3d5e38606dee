#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};
// [0] is written by the handler, [1] read on the event loop: a handler may do little more than write.
int channel[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(channel[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, channel) != 0)
        return;
    m_notifier = new QSocketNotifier(channel[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (const int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    delete m_notifier;
    ::close(channel[0]);
    ::close(channel[1]);
    channel[0] = channel[1] = -1;
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(channel[1], &byte, 1) == 1)
        emit received(byte);
}
