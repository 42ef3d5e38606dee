#include "platform/X11KeyboardMonitor.h"

#include "platform/X11DisplayLoss.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <cstring>

namespace {

// The physical key by its XKB name, whatever symbol the layout gives it (Alt_R or AltGr).
int keycodeNamed(Display *display, const char *name)
{
    XkbDescPtr keyboard = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (!keyboard)
        return 0;
    int found = 0;
    if (XkbGetNames(display, XkbKeyNamesMask, keyboard) == Success && keyboard->names &&
        keyboard->names->keys) {
        for (int code = keyboard->min_key_code; code <= keyboard->max_key_code; ++code) {
            if (std::strncmp(keyboard->names->keys[code].name, name, XkbKeyNameLength) == 0) {
                found = code;
                break;
            }
        }
    }
    XkbFreeKeyboard(keyboard, 0, True);
    return found;
}

} // namespace

struct X11KeyboardMonitor::Connection
{
    Display *display = nullptr;
    bool lost = false;
    int xiOpcode = 0;
    int rightAlt = 0;
    int space = 0;
    KeyEvent::Modifiers held;
    Handler handler;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Connection()
    {
        notifier.reset();
        if (display)
            XCloseDisplay(display);
    }

    KeyEvent::Modifiers modifierOf(int keycode) const
    {
        switch (XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0)) {
        case XK_Shift_L:
        case XK_Shift_R:
            return KeyEvent::Modifier::Shift;
        case XK_Control_L:
        case XK_Control_R:
            return KeyEvent::Modifier::Control;
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Meta_L:
        case XK_Meta_R:
        case XK_ISO_Level3_Shift:
            return KeyEvent::Modifier::Alt;
        case XK_Super_L:
        case XK_Super_R:
            return KeyEvent::Modifier::Super;
        default:
            return {};
        }
    }

    void handleRaw(int type, int keycode, quint64 time)
    {
        const bool press = type == XI_RawKeyPress;
        KeyEvent::Modifiers modifier = modifierOf(keycode);
        if (keycode == rightAlt)
            modifier = KeyEvent::Modifier::Alt;
        if (modifier) {
            held = press ? (held | modifier) : (held & ~modifier);
            const KeyEvent::Key key = keycode == rightAlt ? KeyEvent::Key::RightAlt : KeyEvent::Key::Other;
            if (handler)
                handler({KeyEvent::Kind::ModifiersChanged, key, held, time});
            return;
        }
        if (press && handler)
            handler({KeyEvent::Kind::KeyDown, keycode == space ? KeyEvent::Key::Space : KeyEvent::Key::Other,
                     held, time});
    }

    void readEvents()
    {
        while (display && !lost && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            XGenericEventCookie *cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != xiOpcode ||
                !XGetEventData(display, cookie))
                continue;
            if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
                const auto *raw = static_cast<XIRawEvent *>(cookie->data);
                handleRaw(cookie->evtype, raw->detail, raw->time);
            }
            XFreeEventData(display, cookie);
        }
        if (lost)
            notifier->setEnabled(false); // the socket stays readable: nothing more will come
    }
};

X11KeyboardMonitor::X11KeyboardMonitor(QByteArray displayName) : m_displayName(std::move(displayName)) {}

X11KeyboardMonitor::~X11KeyboardMonitor() = default;

bool X11KeyboardMonitor::install(Handler handler)
{
    remove();
    auto connection = std::make_unique<Connection>();
    connection->display = XOpenDisplay(m_displayName.isEmpty() ? nullptr : m_displayName.constData());
    if (!connection->display)
        return false;
    X11DisplayLoss::handleOn(connection->display, &connection->lost);
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(connection->display, "XInputExtension", &connection->xiOpcode, &event, &error) ||
        XIQueryVersion(connection->display, &major, &minor) != Success)
        return false;
    connection->rightAlt = keycodeNamed(connection->display, "RALT");
    connection->space = keycodeNamed(connection->display, "SPCE");

    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask, XI_RawKeyPress);
    XISetMask(mask, XI_RawKeyRelease);
    XIEventMask selection{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
    XISelectEvents(connection->display, DefaultRootWindow(connection->display), &selection, 1);
    XFlush(connection->display);

    connection->handler = std::move(handler);
    Connection *raw = connection.get();
    connection->notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(raw->display), QSocketNotifier::Read);
    QObject::connect(connection->notifier.get(), &QSocketNotifier::activated, connection->notifier.get(),
                     [raw] { raw->readEvents(); });
    m_connection = std::move(connection);
    return true;
}

void X11KeyboardMonitor::remove()
{
    m_connection.reset();
}
