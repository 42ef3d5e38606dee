#include "dictation/TextInserter.h"

#include "platform/KeySynthesizer.h"

#include <utility>

TextInserter::TextInserter(Pasteboard &pasteboard, KeySynthesizer &keys,
                           std::chrono::milliseconds restoreDelay)
    : m_pasteboard(pasteboard), m_keys(keys)
{
    m_restoreTimer.setSingleShot(true);
    m_restoreTimer.setTimerType(Qt::PreciseTimer);
    m_restoreTimer.setInterval(restoreDelay);
    QObject::connect(&m_restoreTimer, &QTimer::timeout, [this] { restore(); });
}

TextInserter::~TextInserter()
{
    if (m_restoreTimer.isActive())
        restore();
}

void TextInserter::insertAtCursor(const QString &text)
{
    if (m_keys.isAvailable() && m_keys.typesText()) {
        m_keys.sendText(text);
        return;
    }
    if (!m_keys.isAvailable()) {
        // The user pastes by hand: a pending restore must not take the text away again.
        m_restoreTimer.stop();
        m_saved.reset();
        m_pasteboard.setText(text);
        return;
    }
    // While a restore is pending the clipboard holds our previous text, not the user's: keep the
    // first snapshot, unless the user has copied something since.
    if (!m_saved || m_pasteboard.changeCount() != m_changeAfterOurWrite)
        m_saved = m_pasteboard.snapshot();
    m_pasteboard.setText(text);
    m_changeAfterOurWrite = m_pasteboard.changeCount();
    m_keys.sendPaste();
    // Counted from the latest paste, which needs its text on the clipboard until it is read.
    m_restoreTimer.start();
}

void TextInserter::restore()
{
    const std::optional<PasteboardSnapshot> saved = std::exchange(m_saved, std::nullopt);
    // Something copied after our write is newer than what we saved: it stays.
    if (saved && m_pasteboard.changeCount() == m_changeAfterOurWrite)
        m_pasteboard.restore(*saved);
}
