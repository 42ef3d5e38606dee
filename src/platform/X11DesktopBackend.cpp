#include "platform/X11DesktopBackend.h"

X11DesktopBackend::X11DesktopBackend(const QByteArray &displayName)
    : m_monitor(displayName), m_keys(displayName)
{}

DesktopCapabilities X11DesktopBackend::capabilities() const
{
    return {DesktopCapabilities::Keys::SystemWide, DesktopCapabilities::Paste::SyntheticKeys, true};
}
