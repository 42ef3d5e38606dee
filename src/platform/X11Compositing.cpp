#include "platform/X11Compositing.h"

#include "platform/X11DisplayLoss.h"

#include <X11/Xlib.h>

bool x11CompositorRunning(const QByteArray &displayName)
{
    Display *display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display)
        return false;
    bool lost = false;
    X11DisplayLoss::handleOn(display, &lost);
    // A compositing manager owns this selection for as long as it runs.
    QByteArray selection("_NET_WM_CM_S");
    selection.append(QByteArray::number(DefaultScreen(display)));
    const bool running =
        !lost && XGetSelectionOwner(display, XInternAtom(display, selection.constData(), False)) != 0;
    XCloseDisplay(display);
    return running;
}
