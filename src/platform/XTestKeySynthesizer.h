#pragma once

#include "platform/KeySynthesizer.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// Key events through the XTest extension on an X11 display, over a connection of its own. The
// paste shortcut is Ctrl+V, or Ctrl+Shift+V when the focused window is a terminal emulator.
// A display that goes away leaves the synthesizer unavailable (it reconnects when asked again)
// instead of ending the process. Use on one thread.
class XTestKeySynthesizer final : public KeySynthesizer
{
public:
    // `displayName` empty means $DISPLAY.
    explicit XTestKeySynthesizer(QByteArray displayName = {});
    ~XTestKeySynthesizer() override;

    // True when the display is reachable and offers XTest.
    bool isAvailable() override;
    void sendPaste() override;

    // Whether a window with this WM_CLASS is a terminal emulator, where Ctrl+V reaches the
    // program inside as a control character and pasting takes Ctrl+Shift+V.
    static bool isTerminal(QByteArrayView instanceName, QByteArrayView className);

private:
    struct Connection;
    const QByteArray m_displayName;
    std::unique_ptr<Connection> m_connection;
};
