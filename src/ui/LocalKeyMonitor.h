#pragma once

#include "platform/KeyboardMonitor.h"

#include <QObject>

#include <optional>

class QKeyEvent;

// Keys typed into the app's own windows, seen by an event filter on the application before any
// window or item gets them; a handler that returns true consumes the event.
class LocalKeyMonitor final : public QObject, public KeyboardMonitor
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~LocalKeyMonitor() override;

    // False when there is no application object yet.
    bool install(Handler handler) override;
    void remove() override;

    // The hotkeys' view of a key press or release: Right Alt as a modifier change, every other key
    // going down as a key press. Releases of ordinary keys are not reported.
    static std::optional<KeyEvent> translate(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
    bool m_installed = false;
};
