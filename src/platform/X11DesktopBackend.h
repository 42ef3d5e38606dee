#pragma once

#include "platform/DesktopBackend.h"
#include "platform/X11KeyboardMonitor.h"
#include "platform/XTestKeySynthesizer.h"

// An X11 session: keys seen system-wide through XInput2, paste keys through XTest, and the
// toolkit's clipboard, which X11 lets the app write while another window has the focus.
class X11DesktopBackend final : public DesktopBackend
{
public:
    // `displayName` empty means $DISPLAY.
    explicit X11DesktopBackend(const QByteArray &displayName = {});

    QString name() const override { return QStringLiteral("x11"); }
    DesktopCapabilities capabilities() const override;
    KeyboardMonitor *keyboardMonitor() override { return &m_monitor; }
    KeySynthesizer &keySynthesizer() override { return m_keys; }
    Pasteboard *pasteboard() override { return nullptr; }

private:
    X11KeyboardMonitor m_monitor;
    XTestKeySynthesizer m_keys;
};
