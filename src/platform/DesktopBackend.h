#pragma once

#include <QString>

class KeyboardMonitor;
class KeySynthesizer;
class Pasteboard;

// What this desktop session lets the app do, for the paths the app takes and for the settings,
// which show it to the user.
struct DesktopCapabilities
{
    // How push-to-talk reaches the app while another application is in front.
    enum class Keys {
        SystemWide,   // the app sees the keys itself
        Portal,       // the desktop's global-shortcuts service tells the app
        BindingsOnly, // a compositor binding runs `dictrava-cli ptt …`
    };
    // How the paste keys reach the focused application.
    enum class Paste {
        SyntheticKeys,   // XTest on X11
        VirtualKeyboard, // a Wayland virtual keyboard the app keeps
        FakeInput,       // KWin's fake input
        PortalTyping,    // the desktop's remote-desktop portal types the text; the clipboard is left alone
        CopyOnly,        // nothing can send keys: the text is copied for the user to paste
    };

    Keys keys = Keys::BindingsOnly;
    Paste paste = Paste::CopyOnly;
    // Whether the app can write and read the clipboard while another application has the focus.
    bool clipboardWithoutFocus = false;

    friend bool operator==(const DesktopCapabilities &, const DesktopCapabilities &) = default;
};

// The desktop services of one session (X11, a wlroots compositor, …), chosen once at start.
class DesktopBackend
{
public:
    virtual ~DesktopBackend() = default;

    // A short name for the log ("x11", "wlroots", …).
    virtual QString name() const = 0;
    virtual DesktopCapabilities capabilities() const = 0;
    // Keys pressed in other applications; null where the session does not show them to the app.
    virtual KeyboardMonitor *keyboardMonitor() = 0;
    // Sends the paste shortcut; unavailable where the session cannot send keys.
    virtual KeySynthesizer &keySynthesizer() = 0;
    // The clipboard, when the backend reaches it itself; null when the toolkit's clipboard serves.
    virtual Pasteboard *pasteboard() = 0;
};
