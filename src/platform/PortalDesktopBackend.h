#pragma once

#include "platform/DesktopBackend.h"
#include "platform/PortalRemoteDesktop.h"

#include <memory>

// A Wayland session whose compositor lets the app send no keys of its own (GNOME's mutter; KWin
// without the fake-input grant), but which has a desktop portal: dictated text is typed through
// the portal's remote desktop once the user allows it. Everything else stays the session's.
class PortalDesktopBackend final : public DesktopBackend
{
public:
    PortalDesktopBackend(std::unique_ptr<DesktopBackend> session, std::unique_ptr<PortalRemoteDesktop> keys)
        : m_session(std::move(session)), m_keys(std::move(keys))
    {}

    QString name() const override { return m_session->name() + QStringLiteral(" with portal typing"); }
    DesktopCapabilities capabilities() const override
    {
        DesktopCapabilities capabilities = m_session->capabilities();
        if (m_keys->isAvailable())
            capabilities.paste = DesktopCapabilities::Paste::PortalTyping;
        return capabilities;
    }
    KeyboardMonitor *keyboardMonitor() override { return m_session->keyboardMonitor(); }
    KeySynthesizer &keySynthesizer() override { return *m_keys; }
    Pasteboard *pasteboard() override { return m_session->pasteboard(); }

private:
    std::unique_ptr<DesktopBackend> m_session;
    std::unique_ptr<PortalRemoteDesktop> m_keys;
};
