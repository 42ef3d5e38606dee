#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One type of the clipboard's content and its bytes ("text/plain", "image/png", …).
struct PasteboardFormat
{
    QString type;
    QByteArray data;
    friend bool operator==(const PasteboardFormat &, const PasteboardFormat &) = default;
};

// Everything the clipboard held, in the order its owner offered the types. Empty when the
// clipboard was empty.
using PasteboardSnapshot = QList<PasteboardFormat>;

// The desktop clipboard.
class Pasteboard
{
public:
    virtual ~Pasteboard() = default;
    // Replaces whatever the clipboard holds with plain text.
    virtual void setText(const QString &text) = 0;
    // Copies every readable type of the current content; a type that cannot be read is left out.
    virtual PasteboardSnapshot snapshot() = 0;
    // Replaces the content with a snapshot's types, all at once; an empty snapshot clears it.
    virtual void restore(const PasteboardSnapshot &snapshot) = 0;
    // Grows whenever the content changes, by our own writes or another application's, so a
    // caller can tell whether someone copied something after it wrote.
    virtual quint64 changeCount() const = 0;
};
