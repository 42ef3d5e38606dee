#pragma once

#include "dictation/Hotkeys.h"
#include "platform/KeyboardMonitor.h"

#include <memory>

// Turns two gestures into the hotkey callbacks: holding Right Alt (press = hold start, release =
// hold end) and Ctrl+Space (deck toggle). It listens system-wide and in the app's own windows,
// where a matching Ctrl+Space is consumed so the focused field never sees the space.
class HotkeyManager final : public Hotkeys
{
public:
    // Either monitor may be null (not available on this desktop).
    HotkeyManager(KeyboardMonitor *global, KeyboardMonitor *local);
    ~HotkeyManager() override;

    void start() override;
    void stop();

    bool isHolding() const { return m_state->isHolding; }

private:
    struct State
    {
        bool isHolding = false;
        quint64 lastDeckToggle = 0; // the key's timestamp
    };

    bool handle(const KeyEvent &event, bool consumeMatches);

    KeyboardMonitor *m_global;
    KeyboardMonitor *m_local;
    // Handlers hold the state weakly: a late event after destruction does nothing.
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
