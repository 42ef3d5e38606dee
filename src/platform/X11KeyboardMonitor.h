#pragma once

#include "platform/KeyboardMonitor.h"

#include <QByteArray>

#include <memory>

// Keys pressed in any application on an X11 display, from XInput2 raw key events on the root
// window: nothing is grabbed and no permission is needed. Raw events carry no modifier state,
// so the held modifiers are tracked here from their own presses and releases. Events are read
// on the Qt thread that calls install().
class X11KeyboardMonitor final : public KeyboardMonitor
{
public:
    // `displayName` empty means $DISPLAY.
    explicit X11KeyboardMonitor(QByteArray displayName = {});
    ~X11KeyboardMonitor() override;

    // False when there is no X display or it lacks XInput 2.
    bool install(Handler handler) override;
    void remove() override;

private:
    struct Connection;
    const QByteArray m_displayName;
    std::unique_ptr<Connection> m_connection;
};
