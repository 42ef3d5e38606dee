#pragma once

#include "platform/DesktopBackend.h"
#include "platform/UnavailableKeySynthesizer.h"

#include <memory>

class KWinFakeInput;
class WaylandConnection;
class WlrDataControlPasteboard;

// KDE Plasma's KWin: the clipboard through wlr data control, read and written without the focus,
// and the paste keys through KWin's fake input where the .desktop file is granted it.
// Applications' keys are not shown to the app: push-to-talk comes through a global shortcut.
class KWinDesktopBackend final : public DesktopBackend
{
public:
    explicit KWinDesktopBackend(std::unique_ptr<WaylandConnection> connection);
    ~KWinDesktopBackend() override;

    QString name() const override { return QStringLiteral("kwin"); }
    DesktopCapabilities capabilities() const override;
    KeyboardMonitor *keyboardMonitor() override { return nullptr; }
    KeySynthesizer &keySynthesizer() override;
    Pasteboard *pasteboard() override;

private:
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<WlrDataControlPasteboard> m_pasteboard;
    std::unique_ptr<KWinFakeInput> m_keys;
    UnavailableKeySynthesizer m_noKeys;
};
