#pragma once

#include "platform/DesktopBackend.h"
#include "platform/UnavailableKeySynthesizer.h"

#include <memory>

class WaylandConnection;
class WaylandFocusTracker;
class WaylandVirtualKeyboard;
class WlrDataControlPasteboard;

// A Wayland compositor with the wlr data-control protocol (sway and other wlroots compositors,
// KWin): the clipboard is read and written without the focus, and where the compositor offers
// virtual keyboards, the paste keys go through one kept for the app's life (Ctrl+Shift+V when the
// compositor names a terminal emulator as the active window). Applications' keys are not shown to
// the app: push-to-talk comes through compositor bindings.
class WlrootsDesktopBackend final : public DesktopBackend
{
public:
    explicit WlrootsDesktopBackend(std::unique_ptr<WaylandConnection> connection);
    ~WlrootsDesktopBackend() override;

    QString name() const override { return QStringLiteral("wlroots"); }
    DesktopCapabilities capabilities() const override;
    KeyboardMonitor *keyboardMonitor() override { return nullptr; }
    KeySynthesizer &keySynthesizer() override;
    Pasteboard *pasteboard() override;

private:
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<WlrDataControlPasteboard> m_pasteboard;
    std::unique_ptr<WaylandFocusTracker> m_focus;
    std::unique_ptr<WaylandVirtualKeyboard> m_keyboard;
    UnavailableKeySynthesizer m_noKeys;
};
