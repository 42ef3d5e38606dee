#pragma once

#include <functional>

// The global keys: holding Right Alt is push-to-talk, Ctrl+Space toggles the Command Deck.
class Hotkeys
{
public:
    virtual ~Hotkeys() = default;

    std::function<void()> onHoldStart;
    std::function<void()> onHoldEnd;
    std::function<void()> onDeckToggle;

    // Installs the key monitors.
    virtual void start() = 0;
};
