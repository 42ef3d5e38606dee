#include "platform/DesktopBackendFactory.h"

#include "platform/KWinDesktopBackend.h"
#include "platform/ToolkitDesktopBackend.h"
#include "platform/WaylandConnection.h"
#include "platform/WlrootsDesktopBackend.h"
#include "platform/X11DesktopBackend.h"

namespace {

const QString dataControl = QStringLiteral("zwlr_data_control_manager_v1");
const QString virtualKeyboards = QStringLiteral("zwp_virtual_keyboard_manager_v1");
const QString kwinFakeInput = QStringLiteral("org_kde_kwin_fake_input");

} // namespace

DesktopBackendChoice chooseDesktopBackend(const DesktopSession &session)
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
        break;
    case DesktopSession::Type::None:
        break;
    }
    return {DesktopBackendKind::Toolkit, {Keys::BindingsOnly, Paste::CopyOnly, false}};
}

std::unique_ptr<DesktopBackend> openDesktopBackend()
{
    DesktopSession session;
    std::unique_ptr<WaylandConnection> wayland;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        wayland = WaylandConnection::open();
    if (wayland) {
        session.type = DesktopSession::Type::Wayland;
        session.waylandGlobals = wayland->globals();
    } else if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        session.type = DesktopSession::Type::X11;
    }
    switch (chooseDesktopBackend(session).kind) {
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
