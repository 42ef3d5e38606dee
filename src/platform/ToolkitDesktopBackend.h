#pragma once

#include "platform/DesktopBackend.h"
#include "platform/UnavailableKeySynthesizer.h"

// A session that offers the app nothing of its own (no display, or a Wayland compositor without
// the protocols the other backends speak): keys come only through compositor bindings, nothing
// can send the paste keys, and the toolkit's clipboard serves while the app has the focus.
class ToolkitDesktopBackend final : public DesktopBackend
{
public:
    QString name() const override { return QStringLiteral("toolkit"); }
    DesktopCapabilities capabilities() const override;
    KeyboardMonitor *keyboardMonitor() override { return nullptr; }
    KeySynthesizer &keySynthesizer() override { return m_keys; }
    Pasteboard *pasteboard() override { return nullptr; }

private:
    UnavailableKeySynthesizer m_keys;
};
