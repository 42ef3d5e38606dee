#pragma once

#include "platform/Pasteboard.h"

#include <QMetaObject>

class QClipboard;

// The desktop clipboard through Qt. A snapshot holds every data type the owner offers, read
// while the owner answers; X11's bookkeeping targets (TARGETS, TIMESTAMP, …) are not content
// and are left out.
class ClipboardPasteboard final : public Pasteboard
{
public:
    // Null means the application's clipboard, which must outlive this object.
    explicit ClipboardPasteboard(QClipboard *clipboard = nullptr);
    ~ClipboardPasteboard() override;
    ClipboardPasteboard(const ClipboardPasteboard &) = delete;
    ClipboardPasteboard &operator=(const ClipboardPasteboard &) = delete;

    void setText(const QString &text) override;
    // Blocks while the owner sends its data; an owner that stops answering costs Qt's clipboard
    // time-out once, after which the remaining types are left out.
    PasteboardSnapshot snapshot() override;
    void restore(const PasteboardSnapshot &snapshot) override;
    quint64 changeCount() const override { return m_changes; }

private:
    QClipboard *m_clipboard;
    QMetaObject::Connection m_changed;
    quint64 m_changes = 0;
};
