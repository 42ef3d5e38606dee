#include "platform/WaylandVirtualKeyboard.h"

#include "platform/WaylandConnection.h"

#include "virtual-keyboard-unstable-v1-client.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Linux evdev key codes (linux/input-event-codes.h).
constexpr uint32_t keyLeftControl = 29;
constexpr uint32_t keyLeftShift = 42;
constexpr uint32_t keyV = 47;

uint32_t nowMs()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

struct XkbContext
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = nullptr;
    ~XkbContext()
    {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }
};

} // namespace

std::unique_ptr<WaylandVirtualKeyboard> WaylandVirtualKeyboard::create(WaylandConnection &connection,
                                                                       const QByteArray &layout)
{
    if (!connection.seat())
        return nullptr;
    auto manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
        connection.bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!manager)
        return nullptr;
    std::unique_ptr<WaylandVirtualKeyboard> keyboard(new WaylandVirtualKeyboard(connection));
    keyboard->m_manager = manager;
    keyboard->m_keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, connection.seat());
    if (!keyboard->uploadKeymap(layout) || !connection.roundtrip())
        return nullptr;
    return keyboard;
}

WaylandVirtualKeyboard::~WaylandVirtualKeyboard()
{
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    m_connection.flush();
}

bool WaylandVirtualKeyboard::uploadKeymap(const QByteArray &layout)
{
    XkbContext xkb;
    if (!xkb.context)
        return false;
    const xkb_rule_names names{"evdev", "pc105", layout.constData(), "", ""};
    xkb.keymap = xkb_keymap_new_from_names(xkb.context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!xkb.keymap)
        return false;
    const xkb_mod_index_t control = xkb_keymap_mod_get_index(xkb.keymap, XKB_MOD_NAME_CTRL);
    const xkb_mod_index_t shift = xkb_keymap_mod_get_index(xkb.keymap, XKB_MOD_NAME_SHIFT);
    if (control == XKB_MOD_INVALID || shift == XKB_MOD_INVALID)
        return false;
    m_controlMask = 1u << control;
    m_shiftMask = 1u << shift;

    char *text = xkb_keymap_get_as_string(xkb.keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    if (!text)
        return false;
    const size_t size = std::strlen(text) + 1; // the compositor reads it as a C string
    const int fd = memfd_create("dictrava-keymap", MFD_CLOEXEC);
    bool written = fd >= 0;
    for (size_t done = 0; written && done < size;) {
        const ssize_t n = ::write(fd, text + done, size - done);
        written = n > 0;
        done += written ? size_t(n) : 0;
    }
    std::free(text);
    if (written)
        zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    if (fd >= 0)
        ::close(fd);
    return written;
}

bool WaylandVirtualKeyboard::isAvailable()
{
    return !m_connection.isBroken();
}

void WaylandVirtualKeyboard::sendPaste()
{
    if (!isAvailable())
        return;
    const bool terminal = isTerminalFocused && isTerminalFocused();
    // A virtual keyboard's keys do not change the modifier state by themselves: it is stated
    // beside them, as a physical keyboard's driver would.
    press(keyLeftControl, true);
    hold(m_controlMask);
    if (terminal) {
        press(keyLeftShift, true);
        hold(m_controlMask | m_shiftMask);
    }
    press(keyV, true);
    press(keyV, false);
    if (terminal) {
        press(keyLeftShift, false);
        hold(m_controlMask);
    }
    press(keyLeftControl, false);
    hold(0);
    m_connection.flush();
}

void WaylandVirtualKeyboard::sendKey(uint32_t evdevCode, bool down)
{
    if (!isAvailable())
        return;
    press(evdevCode, down);
    m_connection.flush();
}

void WaylandVirtualKeyboard::press(uint32_t evdevCode, bool down)
{
    zwp_virtual_keyboard_v1_key(m_keyboard, nowMs(), evdevCode,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void WaylandVirtualKeyboard::hold(uint32_t modifiers)
{
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, modifiers, 0, 0, 0);
}
