#pragma once

#include <QFlags>

#include <functional>

// One keyboard event as the hotkeys see it: a modifier key changing state, or a key going down,
// with the modifiers held at that moment.
struct KeyEvent
{
    enum class Kind { ModifiersChanged, KeyDown };
    enum class Key { RightAlt, Space, Other };
    enum class Modifier { Shift = 0x1, Control = 0x2, Alt = 0x4, Super = 0x8 };
    Q_DECLARE_FLAGS(Modifiers, Modifier)

    Kind kind = Kind::KeyDown;
    Key key = Key::Other;
    Modifiers modifiers;
    // When the X server saw the key (ms; 0 = unknown). On X11 one press in our own window reaches
    // both monitors with the same time, which tells the two copies apart from two presses.
    quint64 timestamp = 0;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(KeyEvent::Modifiers)

// Watches keyboard events: either system-wide (what goes to other applications; cannot consume)
// or in the app's own windows (can consume an event by returning true from the handler).
class KeyboardMonitor
{
public:
    using Handler = std::function<bool(const KeyEvent &event)>;

    virtual ~KeyboardMonitor() = default;
    // Replaces any handler installed before. False when the desktop refuses.
    virtual bool install(Handler handler) = 0;
    virtual void remove() = 0;
};
