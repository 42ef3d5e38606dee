#include "support/TrayHost.h"

#include <QList>
#include <QSocketNotifier>

#include <X11/Xlib.h>

struct TrayHost::Connection
{
    Display *display = nullptr;
    Window tray = 0;
    Atom opcode = 0;
    QList<Window> docked;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Connection()
    {
        notifier.reset();
        if (display)
            XCloseDisplay(display);
    }

    void read()
    {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            // An icon that goes away is no longer docked.
            if (event.type == DestroyNotify)
                docked.removeAll(event.xdestroywindow.window);
            if (event.type == ReparentNotify && event.xreparent.parent != tray)
                docked.removeAll(event.xreparent.window);
            // SYSTEM_TRAY_REQUEST_DOCK: data.l[1] == 0, the icon's window in data.l[2].
            if (event.type != ClientMessage || event.xclient.message_type != opcode ||
                event.xclient.data.l[1] != 0)
                continue;
            const auto icon = static_cast<Window>(event.xclient.data.l[2]);
            // Returned to the root window when this connection closes.
            XAddToSaveSet(display, icon);
            XReparentWindow(display, icon, tray, 4 + int(docked.size()) * (kIconSize + 4), 0);
            XResizeWindow(display, icon, kIconSize, kIconSize);
            XMapRaised(display, icon);
            XFlush(display);
            docked.append(icon);
        }
    }
};

TrayHost::TrayHost(const QRect &geometry) : m_geometry(geometry) {}

TrayHost::~TrayHost() = default;

bool TrayHost::start()
{
    auto connection = std::make_unique<Connection>();
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    connection->display = display;
    const Window root = DefaultRootWindow(display);
    connection->tray = XCreateSimpleWindow(display, root, m_geometry.x(), m_geometry.y(), m_geometry.width(),
                                           m_geometry.height(), 0, 0, 0x2b2b30);
    XSelectInput(display, connection->tray, SubstructureNotifyMask);
    XMapWindow(display, connection->tray);
    const Atom selection = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
    connection->opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    XSetSelectionOwner(display, selection, connection->tray, CurrentTime);

    XEvent manager{};
    manager.xclient.type = ClientMessage;
    manager.xclient.window = root;
    manager.xclient.message_type = XInternAtom(display, "MANAGER", False);
    manager.xclient.format = 32;
    manager.xclient.data.l[0] = CurrentTime;
    manager.xclient.data.l[1] = static_cast<long>(selection);
    manager.xclient.data.l[2] = static_cast<long>(connection->tray);
    XSendEvent(display, root, False, StructureNotifyMask, &manager);
    XFlush(display);

    Connection *raw = connection.get();
    connection->notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(connection->notifier.get(), &QSocketNotifier::activated, connection->notifier.get(),
                     [raw] { raw->read(); });
    m_connection = std::move(connection);
    return true;
}

void TrayHost::stop()
{
    m_connection.reset();
}

int TrayHost::dockedIcons() const
{
    return m_connection ? int(m_connection->docked.size()) : 0;
}

QRect TrayHost::firstIcon() const
{
    return {m_geometry.topLeft() + QPoint(4, 0), QSize(kIconSize, kIconSize)};
}
