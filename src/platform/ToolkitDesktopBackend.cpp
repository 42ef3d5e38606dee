#include "platform/ToolkitDesktopBackend.h"

DesktopCapabilities ToolkitDesktopBackend::capabilities() const
{
    return {DesktopCapabilities::Keys::BindingsOnly, DesktopCapabilities::Paste::CopyOnly, false};
}
