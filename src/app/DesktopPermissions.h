#pragma once

#include "dictation/Permissions.h"

#include <QString>

// What this desktop lets the app use: the microphone when the sound server has a capture
// source, speech recognition when a speech model is installed. Typing into other applications
// is answered by `accessibility` (the desktop shell provides it).
class DesktopPermissions final : public Permissions
{
public:
    explicit DesktopPermissions(QString soundServer = {},
                                std::function<bool(bool prompt)> accessibility = {});

    // Answers on a worker thread: asking the sound server may take up to its time-out.
    void requestMicrophone(std::function<void(bool granted)> answer) override;
    void requestSpeech(std::function<void(bool authorized)> answer) override;
    bool isAccessibilityTrusted(bool prompt) override;

private:
    const QString m_soundServer;
    const std::function<bool(bool)> m_accessibility;
};
