#pragma once

#include <functional>

// Qt ends the process with exit(1) from inside its event loop when its own X connection breaks.
// exit() then runs static destructors while Qt's render thread and our workers still run, which
// can crash. While a guard lives, any exit() first runs `beforeExit` (writing pending saves) and
// then ends the process at once with status 1, without the destructors. One guard at a time.
class ExitGuard
{
public:
    explicit ExitGuard(std::function<void()> beforeExit);
    ~ExitGuard();
    ExitGuard(const ExitGuard &) = delete;
    ExitGuard &operator=(const ExitGuard &) = delete;
};
