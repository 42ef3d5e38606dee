#pragma once

#include <QString>

#include <functional>

// Synthetic key events sent to whichever application has the keyboard focus.
class KeySynthesizer
{
public:
    virtual ~KeySynthesizer() = default;
    // Whether key events can be sent at all: the app's permission to type into other applications.
    virtual bool isAvailable() = 0;
    // Presses and releases the focused application's paste shortcut. Events that cannot be made
    // are skipped.
    virtual void sendPaste() = 0;
    // Whether the text is typed key by key instead of pasted, where the desktop lets no app use
    // the clipboard in the background; the clipboard is then left alone.
    virtual bool typesText() const { return false; }
    // Types the text into the focused application, where typesText() holds.
    virtual void sendText(const QString &text) { Q_UNUSED(text); }
};

// The accessibility question as the permissions ask it. There is no dialog that grants trust on
// this desktop, so the prompt changes nothing.
inline std::function<bool(bool prompt)> accessibilityTrust(KeySynthesizer &keys)
{
    return [&keys](bool) { return keys.isAvailable(); };
}
