#pragma once

#include "dictation/CursorInserter.h"
#include "platform/Pasteboard.h"

#include <QTimer>

#include <chrono>
#include <optional>

class KeySynthesizer;

// Types text into the focused application through the clipboard: saves what the clipboard
// holds, puts the text there, sends the paste shortcut, and puts the saved content back a
// moment later so the user's clipboard is left as it was. Where the desktop only lets keys be
// typed, it types the text and leaves the clipboard alone; without permission to send keys it
// only copies the text. Lives on the main thread; the restore runs there too. The pasteboard and
// the key synthesizer must outlive it.
class TextInserter final : public CursorInserter
{
public:
    static constexpr std::chrono::milliseconds defaultRestoreDelay{400};

    TextInserter(Pasteboard &pasteboard, KeySynthesizer &keys,
                 std::chrono::milliseconds restoreDelay = defaultRestoreDelay);

    // Puts back a pending restore at once: the user's clipboard outlives us.
    ~TextInserter() override;

    void insertAtCursor(const QString &text) override;

private:
    void restore();

    Pasteboard &m_pasteboard;
    KeySynthesizer &m_keys;
    QTimer m_restoreTimer;
    // What the user had before our first insertion, kept until it is put back.
    std::optional<PasteboardSnapshot> m_saved;
    quint64 m_changeAfterOurWrite = 0;
};
