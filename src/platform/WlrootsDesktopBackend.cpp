#include "platform/WlrootsDesktopBackend.h"

#include "platform/TerminalApplications.h"
#include "platform/WaylandConnection.h"
#include "platform/WaylandFocusTracker.h"
#include "platform/WaylandVirtualKeyboard.h"
#include "platform/WlrDataControlPasteboard.h"

WlrootsDesktopBackend::WlrootsDesktopBackend(std::unique_ptr<WaylandConnection> connection)
    : m_connection(std::move(connection)), m_pasteboard(WlrDataControlPasteboard::create(*m_connection))
{
    // Pasting needs a clipboard that can be written without the focus.
    if (m_pasteboard)
        m_keyboard = WaylandVirtualKeyboard::create(*m_connection);
    m_focus = WaylandFocusTracker::create(*m_connection);
    if (m_keyboard && m_focus) {
        m_keyboard->isTerminalFocused = [focus = m_focus.get()] {
            return isTerminalApplication(focus->activeAppId());
        };
    }
}

WlrootsDesktopBackend::~WlrootsDesktopBackend()
{
    m_keyboard.reset();
    m_focus.reset();
    m_pasteboard.reset();
}

DesktopCapabilities WlrootsDesktopBackend::capabilities() const
{
    return {DesktopCapabilities::Keys::BindingsOnly,
            m_keyboard ? DesktopCapabilities::Paste::VirtualKeyboard : DesktopCapabilities::Paste::CopyOnly,
            m_pasteboard != nullptr};
}

KeySynthesizer &WlrootsDesktopBackend::keySynthesizer()
{
    if (m_keyboard)
        return *m_keyboard;
    return m_noKeys;
}

Pasteboard *WlrootsDesktopBackend::pasteboard()
{
    return m_pasteboard.get();
}
