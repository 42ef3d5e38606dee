#pragma once

#include "platform/DesktopBackend.h"

#include <QStringList>

#include <memory>

// What the app finds when it starts: the kind of session and, on Wayland, the interface names of
// the globals the compositor offers.
struct DesktopSession
{
    enum class Type { None, X11, Wayland };
    Type type = Type::None;
    QStringList waylandGlobals;
    // Whether the session has a desktop portal (global shortcuts, remote desktop).
    bool desktopPortal = false;
};

enum class DesktopBackendKind { X11, Wlroots, KWin, Toolkit };

struct DesktopBackendChoice
{
    DesktopBackendKind kind = DesktopBackendKind::Toolkit;
    DesktopCapabilities capabilities;
    friend bool operator==(const DesktopBackendChoice &, const DesktopBackendChoice &) = default;
};

// The backend for a session and what it will be able to do.
DesktopBackendChoice chooseDesktopBackend(const DesktopSession &session);

// Looks at this process's session ($WAYLAND_DISPLAY before $DISPLAY: on a Wayland session the X
// display is XWayland, which reaches only XWayland windows) and opens the backend chosen for it.
// Call once, on the main thread, after the application object exists.
std::unique_ptr<DesktopBackend> openDesktopBackend();
