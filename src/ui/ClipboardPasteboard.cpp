#include "ui/ClipboardPasteboard.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

namespace {

// Targets that describe the selection rather than hold its content, and Qt's decoded image,
// which is the same picture as the owner's own image type read a second time.
bool isContent(const QString &type)
{
    static const QStringList bookkeeping{QStringLiteral("TARGETS"),
                                         QStringLiteral("MULTIPLE"),
                                         QStringLiteral("TIMESTAMP"),
                                         QStringLiteral("SAVE_TARGETS"),
                                         QStringLiteral("DELETE"),
                                         QStringLiteral("INCR"),
                                         QStringLiteral("INSERT_SELECTION"),
                                         QStringLiteral("INSERT_PROPERTY"),
                                         QStringLiteral("CLIPBOARD_MANAGER"),
                                         QStringLiteral("application/x-qt-image")};
    return !type.isEmpty() && !bookkeeping.contains(type);
}

// A read that came back empty after this long was cut off by Qt's time-out, not answered.
constexpr qint64 stalledOwnerMs = 1000;

} // namespace

ClipboardPasteboard::ClipboardPasteboard(QClipboard *clipboard)
    : m_clipboard(clipboard ? clipboard : QGuiApplication::clipboard())
{
    m_changed = QObject::connect(m_clipboard, &QClipboard::dataChanged, [this] { ++m_changes; });
}

ClipboardPasteboard::~ClipboardPasteboard()
{
    QObject::disconnect(m_changed);
}

void ClipboardPasteboard::setText(const QString &text)
{
    m_clipboard->setText(text, QClipboard::Clipboard);
}

PasteboardSnapshot ClipboardPasteboard::snapshot()
{
    PasteboardSnapshot saved;
    const QMimeData *content = m_clipboard->mimeData(QClipboard::Clipboard);
    if (!content)
        return saved;
    const QStringList types = content->formats();
    for (const QString &type : types) {
        if (!isContent(type))
            continue;
        QElapsedTimer reading;
        reading.start();
        QByteArray data = content->data(type);
        if (!data.isEmpty())
            saved.append({type, std::move(data)});
        else if (reading.elapsed() > stalledOwnerMs)
            break; // it will not answer the next type either
    }
    return saved;
}

void ClipboardPasteboard::restore(const PasteboardSnapshot &snapshot)
{
    if (snapshot.isEmpty()) {
        m_clipboard->clear(QClipboard::Clipboard);
        return;
    }
    auto content = std::make_unique<QMimeData>();
    for (const PasteboardFormat &format : snapshot)
        content->setData(format.type, format.data);
    m_clipboard->setMimeData(content.release(), QClipboard::Clipboard);
}
