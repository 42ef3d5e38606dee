#include "platform/X11Desktops.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

void x11ShowOnAllDesktops(void *display, unsigned long window)
{
    auto *x = static_cast<Display *>(display);
    if (!x || !window)
        return;
    constexpr unsigned long kAllDesktops = 0xFFFFFFFF;
    const Atom desktop = XInternAtom(x, "_NET_WM_DESKTOP", False);
    // The property, for a window manager that reads it at map time...
    XChangeProperty(x, window, desktop, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&kAllDesktops), 1);
    // ...and the request, for one that already manages the window.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = desktop;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(kAllDesktops);
    event.xclient.data.l[1] = 1; // from an application
    XSendEvent(x, DefaultRootWindow(x), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(x);
}
