#pragma once

#include "platform/KeySynthesizer.h"

// Where the session lets nothing send keys to other applications: the text is only copied.
class UnavailableKeySynthesizer final : public KeySynthesizer
{
public:
    bool isAvailable() override { return false; }
    void sendPaste() override {}
};
