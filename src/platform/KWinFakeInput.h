#pragma once

#include "platform/KeySynthesizer.h"

#include <cstdint>
#include <memory>

class WaylandConnection;
struct org_kde_kwin_fake_input;

// Key events through KWin's fake-input interface, which KWin grants to programs whose .desktop
// file names it in X-KDE-Wayland-Interfaces. KWin runs the keys through its own keyboard state,
// so modifiers need no separate report. Use on the connection's thread.
class KWinFakeInput final : public KeySynthesizer
{
public:
    // Null when the compositor does not offer the interface in a version with keyboard keys.
    static std::unique_ptr<KWinFakeInput> create(WaylandConnection &connection);
    ~KWinFakeInput() override;
    KWinFakeInput(const KWinFakeInput &) = delete;
    KWinFakeInput &operator=(const KWinFakeInput &) = delete;

    bool isAvailable() override;
    // Ctrl+V.
    void sendPaste() override;

private:
    explicit KWinFakeInput(WaylandConnection &connection) : m_connection(connection) {}
    void press(uint32_t evdevCode, bool down);

    WaylandConnection &m_connection;
    org_kde_kwin_fake_input *m_input = nullptr;
};
