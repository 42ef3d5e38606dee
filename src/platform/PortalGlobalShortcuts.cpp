#include "platform/PortalGlobalShortcuts.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDebug>

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

QList<PortalShortcut> shortcuts()
{
    return {
        {PortalGlobalShortcuts::kPushToTalk,
         {{u"description"_qs, u"Hold to dictate"_qs}, {u"preferred_trigger"_qs, u"Menu"_qs}}},
        {PortalGlobalShortcuts::kCommandDeck,
         {{u"description"_qs, u"Show or hide the Command Deck"_qs},
          {u"preferred_trigger"_qs, u"CTRL+space"_qs}}},
    };
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

std::unique_ptr<PortalGlobalShortcuts> PortalGlobalShortcuts::open(QDBusConnection bus)
{
    if (!PortalRequests::isOffered(bus))
        return nullptr;
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    return std::unique_ptr<PortalGlobalShortcuts>(new PortalGlobalShortcuts(std::move(bus)));
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus) : m_portal(std::move(bus), kInterface)
{
    QDBusConnection &connection = m_portal.bus();
    connection.connect(PortalRequests::kService, PortalRequests::kPath, kInterface, u"Activated"_qs, this,
                       SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    connection.connect(PortalRequests::kService, PortalRequests::kPath, kInterface, u"Deactivated"_qs, this,
                       SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    if (!m_session.isEmpty())
        m_portal.closeSession(m_session);
}

bool PortalGlobalShortcuts::install(Handler handler)
{
    m_handler = std::move(handler);
    if (!m_started) {
        m_started = true;
        createSession();
    }
    return true;
}

void PortalGlobalShortcuts::remove()
{
    m_handler = nullptr;
}

void PortalGlobalShortcuts::createSession()
{
    m_portal.call(u"CreateSession"_qs, {}, {{u"session_handle_token"_qs, u"dictrava"_qs}},
                  [this](uint response, const QVariantMap &results) {
                      if (response != 0)
                          return refuse(response);
                      m_session = PortalRequests::handle(results.value(u"session_handle"_qs));
                      bindShortcuts();
                  });
}

void PortalGlobalShortcuts::bindShortcuts()
{
    m_portal.call(
        u"BindShortcuts"_qs,
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts()), QString()}, {},
        [this](uint response, const QVariantMap &) {
            if (response != 0)
                return refuse(response);
            qInfo().noquote() << (u"[Keys] Push-to-talk and the deck are bound through the "
                                  "desktop's global shortcuts"_qs);
            m_answer = Answer::Bound;
            emit bindingAnswered(true);
        });
}

void PortalGlobalShortcuts::refuse(uint response)
{
    qInfo().noquote() << (u"[Keys] The desktop did not bind the global shortcuts (answer %1): push-to-talk "
                          "comes only through key bindings"_qs.arg(response));
    m_answer = Answer::Refused;
    emit bindingAnswered(false);
}

void PortalGlobalShortcuts::onActivated(const QDBusObjectPath &session, const QString &id,
                                        qulonglong timestamp, const QVariantMap &)
{
    if (session.path() != m_session)
        return;
    if (id == kPushToTalk)
        deliver(
            {KeyEvent::Kind::ModifiersChanged, KeyEvent::Key::RightAlt, KeyEvent::Modifier::Alt, timestamp});
    else if (id == kCommandDeck)
        deliver({KeyEvent::Kind::KeyDown, KeyEvent::Key::Space, KeyEvent::Modifier::Control, timestamp});
}

void PortalGlobalShortcuts::onDeactivated(const QDBusObjectPath &session, const QString &id,
                                          qulonglong timestamp, const QVariantMap &)
{
    if (session.path() == m_session && id == kPushToTalk)
        deliver({KeyEvent::Kind::ModifiersChanged, KeyEvent::Key::RightAlt, {}, timestamp});
}

void PortalGlobalShortcuts::deliver(const KeyEvent &event) const
{
    if (m_handler)
        m_handler(event);
}
