#pragma once

#include "platform/DesktopBackend.h"
#include "platform/PortalRemoteDesktop.h"

#include <memory>

// A Wayland compositor that lets no app use the clipboard in the background or send keys itself
// (GNOME's mutter), but has a desktop portal: dictated text is typed through the portal's remote
// desktop once the user allows it, and the toolkit's clipboard serves while the app has the focus.
class PortalDesktopBackend final : public DesktopBackend
{
public:
    explicit PortalDesktopBackend(std::unique_ptr<PortalRemoteDesktop> keys) : m_keys(std::move(keys)) {}

    QString name() const override { return QStringLiteral("portal"); }
    DesktopCapabilities capabilities() const override
    {
        return {DesktopCapabilities::Keys::BindingsOnly,
                m_keys->isAvailable() ? DesktopCapabilities::Paste::PortalTyping
                                      : DesktopCapabilities::Paste::CopyOnly,
                false};
    }
    KeyboardMonitor *keyboardMonitor() override { return nullptr; }
    KeySynthesizer &keySynthesizer() override { return *m_keys; }
    Pasteboard *pasteboard() override { return nullptr; }

private:
    std::unique_ptr<PortalRemoteDesktop> m_keys;
};
