#include "platform/DesktopBackendFactory.h"

#include "platform/KWinDesktopBackend.h"
#include "platform/PortalDesktopBackend.h"
#include "platform/ToolkitDesktopBackend.h"
#include "platform/WaylandConnection.h"
#include "platform/WlrootsDesktopBackend.h"
#include "platform/X11DesktopBackend.h"

namespace {

const QString dataControl = QStringLiteral("zwlr_data_control_manager_v1");
const QString virtualKeyboards = QStringLiteral("zwp_virtual_keyboard_manager_v1");
const QString kwinFakeInput = QStringLiteral("org_kde_kwin_fake_input");

DesktopBackendChoice chooseSessionBackend(const DesktopSession &session)
{
    using Keys = DesktopCapabilities::Keys;
    using Paste = DesktopCapabilities::Paste;
    switch (session.type) {
    case DesktopSession::Type::X11:
        return {DesktopBackendKind::X11, {Keys::SystemWide, Paste::SyntheticKeys, true}};
    case DesktopSession::Type::Wayland:
        // Sending the paste keys is no use while the text cannot be put on the clipboard.
        if (!session.waylandGlobals.contains(dataControl))
            break;
        if (session.waylandGlobals.contains(virtualKeyboards))
            return {DesktopBackendKind::Wlroots, {Keys::BindingsOnly, Paste::VirtualKeyboard, true}};
        if (session.waylandGlobals.contains(kwinFakeInput))
            return {DesktopBackendKind::KWin, {Keys::BindingsOnly, Paste::FakeInput, true}};
        return {DesktopBackendKind::Wlroots, {Keys::BindingsOnly, Paste::CopyOnly, true}};
    case DesktopSession::Type::None:
        break;
    }
    return {DesktopBackendKind::Toolkit, {Keys::BindingsOnly, Paste::CopyOnly, false}};
}

std::unique_ptr<DesktopBackend> openSessionBackend(DesktopBackendKind kind,
                                                   std::unique_ptr<WaylandConnection> wayland)
{
    switch (kind) {
    case DesktopBackendKind::X11:
        return std::make_unique<X11DesktopBackend>();
    case DesktopBackendKind::Wlroots:
        return std::make_unique<WlrootsDesktopBackend>(std::move(wayland));
    case DesktopBackendKind::KWin:
        return std::make_unique<KWinDesktopBackend>(std::move(wayland));
    case DesktopBackendKind::Toolkit:
        break;
    }
    return std::make_unique<ToolkitDesktopBackend>();
}

} // namespace

DesktopBackendChoice chooseDesktopBackend(const DesktopSession &session)
{
    DesktopBackendChoice choice = chooseSessionBackend(session);
    // X11 shows the keys to the app itself; elsewhere the portal, where there is one, tells it,
    // and types the text where nothing else can send keys.
    if (session.type == DesktopSession::Type::Wayland && session.desktopPortal) {
        choice.capabilities.keys = DesktopCapabilities::Keys::Portal;
        if (choice.capabilities.paste == DesktopCapabilities::Paste::CopyOnly)
            choice.capabilities.paste = DesktopCapabilities::Paste::PortalTyping;
    }
    return choice;
}

std::unique_ptr<DesktopBackend> openDesktopBackend()
{
    DesktopSession session;
    std::unique_ptr<WaylandConnection> wayland;
    std::unique_ptr<PortalGlobalShortcuts> shortcuts;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        wayland = WaylandConnection::open();
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (wayland) {
        session.type = DesktopSession::Type::Wayland;
        session.waylandGlobals = wayland->globals();
        shortcuts = PortalGlobalShortcuts::open(bus);
        session.desktopPortal = shortcuts != nullptr;
    } else if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        session.type = DesktopSession::Type::X11;
    }
    std::unique_ptr<DesktopBackend> backend =
        openSessionBackend(chooseDesktopBackend(session).kind, std::move(wayland));
    if (!shortcuts)
        return backend;
    // Whether the session can send keys shows once it is open (KWin grants fake input or not).
    std::unique_ptr<PortalRemoteDesktop> keys;
    if (backend->capabilities().paste == DesktopCapabilities::Paste::CopyOnly)
        keys = PortalRemoteDesktop::open(bus);
    return std::make_unique<PortalDesktopBackend>(std::move(backend), std::move(shortcuts), std::move(keys));
}
