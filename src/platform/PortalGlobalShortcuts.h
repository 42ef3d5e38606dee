#pragma once

#include "platform/KeyboardMonitor.h"
#include "platform/PortalRequests.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <memory>

// One shortcut as the desktop portal takes it: an id and its properties (description, preferred
// trigger).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// Push-to-talk and the deck toggle through the desktop's global-shortcuts portal, on sessions that
// show no app the keys of others (KDE Plasma, GNOME 48 and later, Hyprland). The desktop binds the
// keys, asking the user once; pressing the push-to-talk shortcut reaches the hotkeys as Right Alt
// going down, releasing it as Right Alt coming up, and the deck shortcut as Ctrl+Space. A modifier
// alone cannot be bound there, so push-to-talk asks for the Menu key beside Right Alt; the user
// picks another in the desktop's shortcut settings.
class PortalGlobalShortcuts final : public QObject, public KeyboardMonitor
{
    Q_OBJECT

public:
    static inline const QString kPushToTalk = QStringLiteral("push-to-talk");
    static inline const QString kCommandDeck = QStringLiteral("command-deck");

    // Null when the session has no desktop portal. Asks only the bus, so a portal that is still
    // to be started does not hold up the app; whether the portal offers global shortcuts shows
    // once it answers the first install.
    static std::unique_ptr<PortalGlobalShortcuts> open(QDBusConnection bus);
    ~PortalGlobalShortcuts() override;

    // The first install opens the portal session and binds the shortcuts.
    bool install(Handler handler) override;
    void remove() override;

    // Whether the desktop bound the shortcuts, or refused the session or the shortcuts (it offers
    // none, or the user said no); then push-to-talk comes only through key bindings.
    bool isBound() const { return m_answer == Answer::Bound; }
    bool isRefused() const { return m_answer == Answer::Refused; }

signals:
    // The desktop answered the binding: the shortcuts work, or the user or the desktop refused.
    void bindingAnswered(bool bound);

private slots:
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);
    void onDeactivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                       const QVariantMap &options);

private:
    explicit PortalGlobalShortcuts(QDBusConnection bus);

    void createSession();
    void bindShortcuts();
    void refuse(uint response);
    void deliver(const KeyEvent &event) const;

    PortalRequests m_portal;
    Handler m_handler;
    QString m_session;
    enum class Answer { Awaited, Bound, Refused };
    Answer m_answer = Answer::Awaited;
    bool m_started = false;
};
