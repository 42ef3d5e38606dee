#include "platform/KWinDesktopBackend.h"

#include "platform/KWinFakeInput.h"
#include "platform/WaylandConnection.h"
#include "platform/WlrDataControlPasteboard.h"

KWinDesktopBackend::KWinDesktopBackend(std::unique_ptr<WaylandConnection> connection)
    : m_connection(std::move(connection)), m_pasteboard(WlrDataControlPasteboard::create(*m_connection))
{
    // Pasting needs a clipboard that can be written without the focus.
    if (m_pasteboard)
        m_keys = KWinFakeInput::create(*m_connection);
}

KWinDesktopBackend::~KWinDesktopBackend()
{
    m_keys.reset();
    m_pasteboard.reset();
}

DesktopCapabilities KWinDesktopBackend::capabilities() const
{
    return {DesktopCapabilities::Keys::BindingsOnly,
            m_keys ? DesktopCapabilities::Paste::FakeInput : DesktopCapabilities::Paste::CopyOnly,
            m_pasteboard != nullptr};
}

KeySynthesizer &KWinDesktopBackend::keySynthesizer()
{
    if (m_keys)
        return *m_keys;
    return m_noKeys;
}

Pasteboard *KWinDesktopBackend::pasteboard()
{
    return m_pasteboard.get();
}
