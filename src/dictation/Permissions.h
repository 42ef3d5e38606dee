#pragma once

#include <functional>

// What the app may use: the microphone, the speech recogniser, synthetic key events.
class Permissions
{
public:
    virtual ~Permissions() = default;
    // Each answers once, on any thread.
    virtual void requestMicrophone(std::function<void(bool granted)> answer) = 0;
    virtual void requestSpeech(std::function<void(bool authorized)> answer) = 0;
    // Whether text can be typed into other applications. `prompt` asks the desktop to offer
    // the user a way to grant it when it is missing.
    virtual bool isAccessibilityTrusted(bool prompt) = 0;
};
