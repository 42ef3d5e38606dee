#pragma once

#include "platform/KeySynthesizer.h"
#include "platform/PortalRequests.h"

#include <QObject>

#include <memory>

// Keys sent to the focused application through the desktop's remote-desktop portal, on desktops
// that let no app paste in the background (GNOME's mutter). The desktop asks the user once, when
// the app starts, whether Dictrava may use the keyboard; the session lasts for the app's life.
// Text is typed as keys, one key symbol per character, so the user's clipboard is never touched.
class PortalRemoteDesktop final : public QObject, public KeySynthesizer
{
    Q_OBJECT

public:
    // Null when the session has no desktop portal; otherwise starts asking the desktop.
    static std::unique_ptr<PortalRemoteDesktop> open(QDBusConnection bus);
    ~PortalRemoteDesktop() override;

    // Whether the user let the app use the keyboard.
    bool isAvailable() override { return m_state == State::Started; }
    void sendPaste() override;
    bool typesText() const override { return true; }
    void sendText(const QString &text) override;

    // The key symbol that types a character: Latin-1 as itself, newline and tab as their keys,
    // other characters as Unicode key symbols.
    static int keysymOf(char32_t character);

signals:
    // The desktop answered: the keyboard may be used, or the user or the desktop refused.
    void startAnswered(bool started);

private:
    explicit PortalRemoteDesktop(QDBusConnection bus);

    void createSession();
    void selectKeyboard();
    void start();
    void refuse(uint response);
    void sendKey(int keysym, bool pressed);
    void sendNextKey();

    PortalRequests m_portal;
    // Keys not yet sent, as (key symbol, pressed). The portal may handle calls out of order, so
    // each key waits until the portal has answered the one before.
    QList<QPair<int, bool>> m_keys;
    bool m_sending = false;
    QString m_session;
    enum class State { Asking, Started, Refused };
    State m_state = State::Asking;
};
