#pragma once

#include "platform/KeySynthesizer.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>

class WaylandConnection;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// Key events through a Wayland virtual keyboard (wlroots compositors). The keyboard is made once
// and kept for the app's whole life: a seat whose only keyboard comes and goes makes applications
// lose keys. It carries a complete keymap of the given layout with real evdev key codes, which
// toolkits need to recognise the paste shortcut. Use on the connection's thread.
class WaylandVirtualKeyboard final : public KeySynthesizer
{
public:
    // Null when the compositor offers no virtual keyboards or no seat, or the layout is unknown.
    static std::unique_ptr<WaylandVirtualKeyboard> create(WaylandConnection &connection,
                                                          const QByteArray &layout = "us");
    ~WaylandVirtualKeyboard() override;
    WaylandVirtualKeyboard(const WaylandVirtualKeyboard &) = delete;
    WaylandVirtualKeyboard &operator=(const WaylandVirtualKeyboard &) = delete;

    // True while the compositor is there.
    bool isAvailable() override;
    // Ctrl+V, or Ctrl+Shift+V where `isTerminalFocused` says a terminal emulator has the focus.
    void sendPaste() override;

    std::function<bool()> isTerminalFocused;

    // One key by its Linux evdev code going down or up, with no modifier state changed.
    void sendKey(uint32_t evdevCode, bool down);

private:
    WaylandVirtualKeyboard(WaylandConnection &connection) : m_connection(connection) {}
    bool uploadKeymap(const QByteArray &layout);
    void press(uint32_t evdevCode, bool down);
    void hold(uint32_t modifiers);

    WaylandConnection &m_connection;
    zwp_virtual_keyboard_manager_v1 *m_manager = nullptr;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
    uint32_t m_controlMask = 0;
    uint32_t m_shiftMask = 0;
};
