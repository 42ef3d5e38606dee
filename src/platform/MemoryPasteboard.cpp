#include "platform/MemoryPasteboard.h"

namespace {
const QString plainText = QStringLiteral("text/plain");
}

void MemoryPasteboard::setText(const QString &text)
{
    restore({{plainText, text.toUtf8()}});
}

void MemoryPasteboard::restore(const PasteboardSnapshot &snapshot)
{
    m_content = snapshot;
    ++m_changes;
}

QString MemoryPasteboard::text() const
{
    for (const PasteboardFormat &format : m_content) {
        if (format.type == plainText)
            return QString::fromUtf8(format.data);
    }
    return {};
}
