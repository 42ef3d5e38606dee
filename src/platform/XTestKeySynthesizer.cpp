#include "platform/XTestKeySynthesizer.h"

#include "platform/TerminalApplications.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

int ignoreProtocolError(Display *, XErrorEvent *)
{
    return 0;
}

int surviveLostConnection(Display *)
{
    return 0; // Xlib then calls the display's exit handler, which marks the connection broken
}

// Xlib's error handlers are process-wide, and by default a failed request or a lost server ends
// the process. Ours are in place only while this connection talks to the server; Qt's and
// anyone else's are put back afterwards.
class HandlerScope
{
public:
    explicit HandlerScope(Display *display) : m_display(display)
    {
        m_previousError = XSetErrorHandler(ignoreProtocolError);
        m_previousIo = XSetIOErrorHandler(surviveLostConnection);
    }
    ~HandlerScope()
    {
        XSync(m_display, False); // errors of our requests arrive while our handlers are in place
        XSetErrorHandler(m_previousError);
        XSetIOErrorHandler(m_previousIo);
    }
    HandlerScope(const HandlerScope &) = delete;
    HandlerScope &operator=(const HandlerScope &) = delete;

private:
    Display *m_display;
    XErrorHandler m_previousError = nullptr;
    XIOErrorHandler m_previousIo = nullptr;
};

} // namespace

struct XTestKeySynthesizer::Connection
{
    Display *display = nullptr;
    bool broken = false;
    bool hasXTest = false;

    ~Connection()
    {
        if (!display)
            return;
        // Closing syncs with the server, which may be gone.
        const XIOErrorHandler previous = XSetIOErrorHandler(surviveLostConnection);
        XCloseDisplay(display);
        XSetIOErrorHandler(previous);
    }

    // One round trip: false when the server has gone away.
    bool ping()
    {
        if (!broken)
            HandlerScope scope(display); // ends with a sync
        return !broken;
    }

    static void markBroken(Display *, void *connection)
    {
        static_cast<Connection *>(connection)->broken = true;
    }

    // The keyboard layout may have changed since we connected; Xlib refreshes its copy only from
    // the notifications waiting in our queue.
    void followKeyboardMapping()
    {
        while (!broken && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
        }
    }

    Window activeWindow()
    {
        const Window root = DefaultRootWindow(display);
        Window window = None;
        const Atom active = XInternAtom(display, "_NET_ACTIVE_WINDOW", True);
        if (active != None) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long remaining = 0;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(display, root, active, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                   &remaining, &data) == Success &&
                data && type == XA_WINDOW && format == 32 && count == 1)
                window = Window(*reinterpret_cast<unsigned long *>(data));
            if (data)
                XFree(data);
        }
        if (window == None) { // no window manager, or none that says
            int revert = 0;
            XGetInputFocus(display, &window, &revert);
        }
        return window == PointerRoot ? None : window;
    }

    // The focus may sit on a child of the application's window: the names are on the nearest
    // ancestor that has them.
    bool focusedIsTerminal()
    {
        const Window root = DefaultRootWindow(display);
        Window window = activeWindow();
        for (int depth = 0; window != None && window != root && depth < 64 && !broken; ++depth) {
            XClassHint hint{};
            if (XGetClassHint(display, window, &hint)) {
                const bool terminal =
                    isTerminal(hint.res_name ? QByteArrayView(hint.res_name) : QByteArrayView(),
                               hint.res_class ? QByteArrayView(hint.res_class) : QByteArrayView());
                XFree(hint.res_name);
                XFree(hint.res_class);
                return terminal;
            }
            Window treeRoot = None;
            Window parent = None;
            Window *children = nullptr;
            unsigned int childCount = 0;
            if (!XQueryTree(display, window, &treeRoot, &parent, &children, &childCount))
                return false;
            if (children)
                XFree(children);
            window = parent;
        }
        return false;
    }
};

XTestKeySynthesizer::XTestKeySynthesizer(QByteArray displayName) : m_displayName(std::move(displayName)) {}

XTestKeySynthesizer::~XTestKeySynthesizer() = default;

bool XTestKeySynthesizer::isAvailable()
{
    if (m_connection && !m_connection->ping())
        m_connection.reset();
    if (!m_connection) {
        Display *display = XOpenDisplay(m_displayName.isEmpty() ? nullptr : m_displayName.constData());
        if (!display)
            return false;
        m_connection = std::make_unique<Connection>();
        m_connection->display = display;
        XSetIOErrorExitHandler(display, &Connection::markBroken, m_connection.get());
        int event = 0;
        int error = 0;
        int major = 0;
        int minor = 0;
        HandlerScope scope(display);
        m_connection->hasXTest = XTestQueryExtension(display, &event, &error, &major, &minor);
    }
    return m_connection->hasXTest && !m_connection->broken;
}

void XTestKeySynthesizer::sendPaste()
{
    if (!isAvailable())
        return;
    Connection &connection = *m_connection;
    Display *display = connection.display;
    HandlerScope scope(display);
    connection.followKeyboardMapping();
    const bool terminal = connection.focusedIsTerminal();
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    const KeyCode v = XKeysymToKeycode(display, XK_v);
    // Without one of its keys the shortcut would type something else: send nothing.
    if (connection.broken || control == 0 || v == 0 || (terminal && shift == 0))
        return;
    const auto key = [display](KeyCode code, bool down) {
        XTestFakeKeyEvent(display, code, down, CurrentTime);
    };
    key(control, true);
    if (terminal)
        key(shift, true);
    key(v, true);
    key(v, false);
    if (terminal)
        key(shift, false);
    key(control, false);
    XFlush(display);
}

bool XTestKeySynthesizer::isTerminal(QByteArrayView instanceName, QByteArrayView className)
{
    return isTerminalApplication(instanceName) || isTerminalApplication(className);
}
