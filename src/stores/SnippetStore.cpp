#include "stores/SnippetStore.h"

#include "core/Text.h"

SnippetStore::SnippetStore(const QString &folder, QObject *parent)
    : QObject(parent), m_store(QStringLiteral("snippets.json"), folder), m_snippets(m_store.load())
{}

void SnippetStore::setSnippets(const QList<Snippet> &snippets)
{
    m_snippets = snippets;
    emit snippetsChanged();
    m_store.save(m_snippets);
}

void SnippetStore::add(const QString &cue, const QString &content)
{
    QList<Snippet> snippets = m_snippets;
    snippets.append(Snippet{QUuid::createUuid(), cue, content});
    setSnippets(snippets);
}

void SnippetStore::remove(const QUuid &id)
{
    QList<Snippet> snippets = m_snippets;
    snippets.removeIf([&](const Snippet &snippet) { return snippet.id == id; });
    setSnippets(snippets);
}

std::optional<QString> SnippetStore::match(const QString &spokenText) const
{
    const QString spoken = normalize(spokenText);
    if (spoken.isEmpty())
        return std::nullopt;
    for (const Snippet &snippet : m_snippets) {
        if (normalize(snippet.cue) == spoken)
            return snippet.content;
    }
    return std::nullopt;
}

QString SnippetStore::normalize(const QString &text)
{
    const QString lowered = Text::lower(text);
    // Lone surrogates come out as U+FFFD, a symbol, and are deleted with the other symbols.
    const QList<uint> codePoints = lowered.toUcs4();
    QList<char32_t> kept;
    kept.reserve(codePoints.size());
    for (const uint codePoint : codePoints) {
        bool keep = codePoint == U'\t';
        switch (QChar::category(codePoint)) {
        case QChar::Letter_Uppercase:
        case QChar::Letter_Lowercase:
        case QChar::Letter_Titlecase:
        case QChar::Letter_Modifier:
        case QChar::Letter_Other:
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Number_DecimalDigit:
        case QChar::Number_Letter:
        case QChar::Number_Other:
        case QChar::Separator_Space:
            keep = true;
            break;
        default:
            break;
        }
        if (keep)
            kept.append(codePoint);
    }
    return Text::trimmed(QString::fromUcs4(kept.constData(), kept.size()));
}
