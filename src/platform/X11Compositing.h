#pragma once

#include <QByteArray>

// Whether a compositing manager runs on the X display, so that see-through window backgrounds
// blend with what lies beneath. Without one they show black. False when there is no X display.
// `displayName` empty means $DISPLAY.
bool x11CompositorRunning(const QByteArray &displayName = {});
