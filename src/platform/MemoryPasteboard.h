#pragma once

#include "platform/Pasteboard.h"

// A clipboard that lives in this process: where there is no desktop (the command-line tool),
// text copied for the user is kept here.
class MemoryPasteboard : public Pasteboard
{
public:
    void setText(const QString &text) override;
    PasteboardSnapshot snapshot() override { return m_content; }
    void restore(const PasteboardSnapshot &snapshot) override;
    quint64 changeCount() const override { return m_changes; }

    // The plain-text type of the content; empty when there is none.
    QString text() const;

private:
    PasteboardSnapshot m_content;
    quint64 m_changes = 0;
};
