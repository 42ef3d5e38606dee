#pragma once

#include "platform/DesktopBackend.h"
#include "platform/PortalGlobalShortcuts.h"

#include <memory>

// A Wayland session's backend whose desktop has a portal: push-to-talk and the deck toggle come
// from its global shortcuts once it binds them; pasting and the clipboard stay the session's.
class PortalShortcutsDesktopBackend final : public DesktopBackend
{
public:
    PortalShortcutsDesktopBackend(std::unique_ptr<DesktopBackend> session,
                                  std::unique_ptr<PortalGlobalShortcuts> shortcuts)
        : m_session(std::move(session)), m_shortcuts(std::move(shortcuts))
    {}

    QString name() const override { return m_session->name() + QStringLiteral(" with portal shortcuts"); }
    DesktopCapabilities capabilities() const override
    {
        DesktopCapabilities capabilities = m_session->capabilities();
        if (m_shortcuts->isBound())
            capabilities.keys = DesktopCapabilities::Keys::Portal;
        return capabilities;
    }
    KeyboardMonitor *keyboardMonitor() override { return m_shortcuts.get(); }
    KeySynthesizer &keySynthesizer() override { return m_session->keySynthesizer(); }
    Pasteboard *pasteboard() override { return m_session->pasteboard(); }

private:
    std::unique_ptr<DesktopBackend> m_session;
    std::unique_ptr<PortalGlobalShortcuts> m_shortcuts;
};
