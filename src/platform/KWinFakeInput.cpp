#include "platform/KWinFakeInput.h"

#include "platform/WaylandConnection.h"

#include "fake-input-client.h"

#include <wayland-client.h>

namespace {

// Linux evdev key codes (linux/input-event-codes.h).
constexpr uint32_t keyLeftControl = 29;
constexpr uint32_t keyV = 47;
// The first version with keyboard keys.
constexpr uint32_t keyboardVersion = 4;

} // namespace

std::unique_ptr<KWinFakeInput> KWinFakeInput::create(WaylandConnection &connection)
{
    auto input = static_cast<org_kde_kwin_fake_input *>(
        connection.bind(&org_kde_kwin_fake_input_interface, keyboardVersion));
    if (!input)
        return nullptr;
    std::unique_ptr<KWinFakeInput> fake(new KWinFakeInput(connection));
    fake->m_input = input;
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy *>(input)) < keyboardVersion)
        return nullptr;
    org_kde_kwin_fake_input_authenticate(input, "Dictrava", "Paste dictated text at the cursor");
    if (!connection.roundtrip())
        return nullptr;
    return fake;
}

KWinFakeInput::~KWinFakeInput()
{
    if (m_input)
        wl_proxy_destroy(reinterpret_cast<wl_proxy *>(m_input));
    m_connection.flush();
}

bool KWinFakeInput::isAvailable()
{
    return !m_connection.isBroken();
}

void KWinFakeInput::sendPaste()
{
    if (!isAvailable())
        return;
    press(keyLeftControl, true);
    press(keyV, true);
    press(keyV, false);
    press(keyLeftControl, false);
    m_connection.flush();
}

void KWinFakeInput::press(uint32_t evdevCode, bool down)
{
    org_kde_kwin_fake_input_keyboard_key(
        m_input, evdevCode, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}
