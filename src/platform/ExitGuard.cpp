#include "platform/ExitGuard.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::function<void()> armedAction;

void onExit()
{
    if (!armedAction)
        return;
    const std::function<void()> action = std::move(armedAction);
    armedAction = nullptr;
    action();
    std::fflush(nullptr);
    ::_exit(1);
}

} // namespace

ExitGuard::ExitGuard(std::function<void()> beforeExit)
{
    armedAction = std::move(beforeExit);
    // Registered as late as possible, so it runs before the destructors of anything built so far.
    std::atexit(onExit);
}

ExitGuard::~ExitGuard()
{
    armedAction = nullptr;
}
