#pragma once

#include "dictation/CursorInserter.h"
#include "dictation/Permissions.h"
#include "platform/MemoryPasteboard.h"

#include <QString>

// How dictated text leaves the command-line tool: it is the tool's output. The terminal is
// the "cursor", so typing there needs no permission; the text itself is printed by main.
class TerminalDelivery final : public CursorInserter, public MemoryPasteboard, public Permissions
{
public:
    void insertAtCursor(const QString &text) override { delivered = text; }
    void setText(const QString &text) override
    {
        MemoryPasteboard::setText(text);
        delivered = text;
    }

    void requestMicrophone(std::function<void(bool)> answer) override { answer(false); }
    void requestSpeech(std::function<void(bool)> answer) override { answer(false); }
    bool isAccessibilityTrusted(bool) override { return true; }

    QString delivered;
};
