#include "platform/PortalGlobalShortcuts.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

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

// A handle arrives as an object path or, from some portals, as a string.
QString pathOf(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
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
    const QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon)
        return nullptr;
    if (!daemon->isServiceRegistered(kPortalService).value() &&
        !daemon->activatableServiceNames().value().contains(kPortalService))
        return nullptr;
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    return std::unique_ptr<PortalGlobalShortcuts>(new PortalGlobalShortcuts(bus));
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus) : m_bus(std::move(bus))
{
    m_bus.connect(kPortalService, kPortalPath, kInterface, u"Activated"_qs, this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    m_bus.connect(kPortalService, kPortalPath, kInterface, u"Deactivated"_qs, this,
                  SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    if (!m_session.isEmpty()) {
        m_bus.call(QDBusMessage::createMethodCall(kPortalService, m_session,
                                                  u"org.freedesktop.portal.Session"_qs, u"Close"_qs),
                   QDBus::NoBlock);
    }
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
    request(u"CreateSession"_qs, {}, {{u"session_handle_token"_qs, u"dictrava"_qs}});
}

void PortalGlobalShortcuts::bindShortcuts()
{
    request(u"BindShortcuts"_qs,
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts()), QString()},
            {});
}

void PortalGlobalShortcuts::request(const QString &method, QVariantList arguments, QVariantMap options)
{
    const QString token = u"dictrava%1"_qs.arg(++m_tokens);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    if (!m_requestPath.isEmpty()) {
        m_bus.disconnect(kPortalService, m_requestPath, kRequestInterface, u"Response"_qs, this,
                         SLOT(onRequestResponse(uint, QVariantMap)));
    }
    m_requestPath = u"/org/freedesktop/portal/desktop/request/%1/%2"_qs.arg(sender, token);
    m_bus.connect(kPortalService, m_requestPath, kRequestInterface, u"Response"_qs, this,
                  SLOT(onRequestResponse(uint, QVariantMap)));

    options.insert(u"handle_token"_qs, token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kInterface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (!done->isError())
            return;
        qInfo().noquote() << (u"[Keys] The desktop's global shortcuts refused %1: %2"_qs.arg(
            method, done->error().message()));
        m_answer = Answer::Refused;
        emit bindingAnswered(false);
    });
}

void PortalGlobalShortcuts::onRequestResponse(uint response, const QVariantMap &results)
{
    // 0 is success; 1 the user cancelled; 2 anything else.
    if (response != 0) {
        qInfo().noquote()
            << (u"[Keys] The desktop did not bind the global shortcuts (answer %1): push-to-talk "
                "comes only through key bindings"_qs.arg(response));
        m_answer = Answer::Refused;
        emit bindingAnswered(false);
        return;
    }
    if (m_session.isEmpty()) {
        m_session = pathOf(results.value(u"session_handle"_qs));
        bindShortcuts();
        return;
    }
    qInfo().noquote()
        << (u"[Keys] Push-to-talk and the deck are bound through the desktop's global shortcuts"_qs);
    m_answer = Answer::Bound;
    emit bindingAnswered(true);
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
