#include "platform/PortalRemoteDesktop.h"

#include <QDBusObjectPath>
#include <QDebug>

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr uint kKeyboard = 1;

} // namespace

std::unique_ptr<PortalRemoteDesktop> PortalRemoteDesktop::open(QDBusConnection bus)
{
    if (!PortalRequests::isOffered(bus))
        return nullptr;
    std::unique_ptr<PortalRemoteDesktop> keys(new PortalRemoteDesktop(std::move(bus)));
    keys->createSession();
    return keys;
}

PortalRemoteDesktop::PortalRemoteDesktop(QDBusConnection bus) : m_portal(std::move(bus), kInterface) {}

PortalRemoteDesktop::~PortalRemoteDesktop()
{
    if (!m_session.isEmpty())
        m_portal.closeSession(m_session);
}

void PortalRemoteDesktop::createSession()
{
    m_portal.call(u"CreateSession"_qs, {}, {{u"session_handle_token"_qs, u"dictrava"_qs}},
                  [this](uint response, const QVariantMap &results) {
                      if (response != 0)
                          return refuse(response);
                      m_session = PortalRequests::handle(results.value(u"session_handle"_qs));
                      selectKeyboard();
                  });
}

void PortalRemoteDesktop::selectKeyboard()
{
    m_portal.call(u"SelectDevices"_qs, {QVariant::fromValue(QDBusObjectPath(m_session))},
                  {{u"types"_qs, kKeyboard}}, [this](uint response, const QVariantMap &) {
                      if (response != 0)
                          return refuse(response);
                      start();
                  });
}

void PortalRemoteDesktop::start()
{
    m_portal.call(u"Start"_qs, {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {},
                  [this](uint response, const QVariantMap &results) {
                      if (response != 0)
                          return refuse(response);
                      if (!(results.value(u"devices"_qs).toUInt() & kKeyboard))
                          return refuse(2);
                      qInfo().noquote() << (u"[Keys] Dictated text is typed through the desktop's "
                                            "remote-desktop portal"_qs);
                      m_state = State::Started;
                      emit startAnswered(true);
                  });
}

void PortalRemoteDesktop::refuse(uint response)
{
    qInfo().noquote() << (u"[Keys] The desktop did not let Dictrava use the keyboard (answer %1): "
                          "dictated text is only copied"_qs.arg(response));
    m_state = State::Refused;
    emit startAnswered(false);
}

void PortalRemoteDesktop::sendPaste()
{
    if (!isAvailable())
        return;
    sendKey(XKB_KEY_Control_L, true);
    sendKey(XKB_KEY_v, true);
    sendKey(XKB_KEY_v, false);
    sendKey(XKB_KEY_Control_L, false);
}

void PortalRemoteDesktop::sendText(const QString &text)
{
    if (!isAvailable())
        return;
    for (const char32_t character : text.toUcs4()) {
        const int keysym = keysymOf(character);
        if (keysym == XKB_KEY_NoSymbol)
            continue;
        sendKey(keysym, true);
        sendKey(keysym, false);
    }
}

int PortalRemoteDesktop::keysymOf(char32_t character)
{
    switch (character) {
    case U'\n':
        return XKB_KEY_Return;
    case U'\t':
        return XKB_KEY_Tab;
    default:
        if (character < 0x20 || character == 0x7f)
            return XKB_KEY_NoSymbol;
        return static_cast<int>(xkb_utf32_to_keysym(character));
    }
}

void PortalRemoteDesktop::sendKey(int keysym, bool pressed)
{
    m_keys.append({keysym, pressed});
    if (!m_sending)
        sendNextKey();
}

void PortalRemoteDesktop::sendNextKey()
{
    m_sending = !m_keys.isEmpty();
    if (!m_sending)
        return;
    const auto [keysym, pressed] = m_keys.takeFirst();
    m_portal.notify(u"NotifyKeyboardKeysym"_qs,
                    {QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap(), keysym, uint(pressed)},
                    [this] { sendNextKey(); });
}
