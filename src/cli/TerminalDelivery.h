#pragma once

#include "dictation/Permissions.h"
#include "dictation/TextInserter.h"
#include "platform/Pasteboard.h"

#include <QString>

// How dictated text leaves the command-line tool: it is the tool's output. The terminal is
// the "cursor", so typing there needs no permission; the text itself is printed by main.
class TerminalDelivery final : public TextInserter, public Pasteboard, public Permissions
{
public:
    void insertAtCursor(const QString &text) override { delivered = text; }
    void setText(const QString &text) override { delivered = text; }

    void requestMicrophone(std::function<void(bool)> answer) override { answer(false); }
    void requestSpeech(std::function<void(bool)> answer) override { answer(false); }
    bool isAccessibilityTrusted(bool) override { return true; }

    QString delivered;
};
