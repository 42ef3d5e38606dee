#pragma once

#include "platform/DesktopBackend.h"
#include "platform/PortalGlobalShortcuts.h"
#include "platform/PortalRemoteDesktop.h"

#include <memory>

// A Wayland session's backend whose desktop has a portal: push-to-talk and the deck toggle come
// from its global shortcuts once it binds them, and where the session cannot send keys of its own
// (GNOME's mutter; KWin without the fake-input grant), dictated text is typed through the portal's
// remote desktop once the user allows it. Everything else stays the session's.
class PortalDesktopBackend final : public DesktopBackend
{
public:
    // `keys` is null where the session sends keys itself.
    PortalDesktopBackend(std::unique_ptr<DesktopBackend> session,
                         std::unique_ptr<PortalGlobalShortcuts> shortcuts,
                         std::unique_ptr<PortalRemoteDesktop> keys)
        : m_session(std::move(session)), m_shortcuts(std::move(shortcuts)), m_keys(std::move(keys))
    {}

    QString name() const override { return m_session->name() + QStringLiteral(" with portal"); }
    DesktopCapabilities capabilities() const override
    {
        DesktopCapabilities capabilities = m_session->capabilities();
        if (m_shortcuts->isBound())
            capabilities.keys = DesktopCapabilities::Keys::Portal;
        if (m_keys && m_keys->isAvailable())
            capabilities.paste = DesktopCapabilities::Paste::PortalTyping;
        return capabilities;
    }
    KeyboardMonitor *keyboardMonitor() override { return m_shortcuts.get(); }
    KeySynthesizer &keySynthesizer() override { return m_keys ? *m_keys : m_session->keySynthesizer(); }
    Pasteboard *pasteboard() override { return m_session->pasteboard(); }

private:
    std::unique_ptr<DesktopBackend> m_session;
    std::unique_ptr<PortalGlobalShortcuts> m_shortcuts;
    std::unique_ptr<PortalRemoteDesktop> m_keys;
};
