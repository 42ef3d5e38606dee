#include "dictation/HotkeyManager.h"

namespace {

// Of Control, Alt and Super exactly Control; Shift and the locks do not matter.
bool isDeckToggle(const KeyEvent &event)
{
    using Modifier = KeyEvent::Modifier;
    const KeyEvent::Modifiers chord = event.modifiers & (Modifier::Control | Modifier::Alt | Modifier::Super);
    return event.kind == KeyEvent::Kind::KeyDown && event.key == KeyEvent::Key::Space &&
           chord == Modifier::Control;
}

} // namespace

HotkeyManager::HotkeyManager(KeyboardMonitor *global, KeyboardMonitor *local)
    : m_global(global), m_local(local)
{}

HotkeyManager::~HotkeyManager()
{
    stop();
}

void HotkeyManager::start()
{
    stop();
    const std::weak_ptr<State> weak = m_state;
    if (m_global) {
        m_global->install(
            [this, weak](const KeyEvent &event) { return weak.lock() ? handle(event, false) : false; });
    }
    if (m_local) {
        m_local->install(
            [this, weak](const KeyEvent &event) { return weak.lock() ? handle(event, true) : false; });
    }
}

void HotkeyManager::stop()
{
    if (m_global)
        m_global->remove();
    if (m_local)
        m_local->remove();
}

bool HotkeyManager::handle(const KeyEvent &event, bool consumeMatches)
{
    if (event.kind == KeyEvent::Kind::ModifiersChanged) {
        if (event.key != KeyEvent::Key::RightAlt)
            return false;
        // Start and end alternate: repeated events while held, or a release never pressed, do nothing.
        const bool down = event.modifiers.testFlag(KeyEvent::Modifier::Alt);
        if (down == m_state->isHolding)
            return false;
        m_state->isHolding = down;
        const std::function<void()> &callback = down ? onHoldStart : onHoldEnd;
        if (callback)
            callback();
        return false;
    }
    if (!isDeckToggle(event))
        return false;
    // On X11 a press in our own window reaches both monitors; the second copy, with the same
    // timestamp, is still consumed but toggles nothing.
    const bool seenAlready = event.timestamp != 0 && event.timestamp == m_state->lastDeckToggle;
    m_state->lastDeckToggle = event.timestamp;
    if (!seenAlready && onDeckToggle)
        onDeckToggle();
    return consumeMatches;
}
