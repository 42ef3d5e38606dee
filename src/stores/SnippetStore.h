#pragma once

#include "stores/JsonStore.h"
#include "stores/Snippet.h"

#include <QList>
#include <QObject>

#include <optional>

// Spoken cues that expand to stored text, in the order added, persisted in snippets.json.
class SnippetStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<Snippet> snippets READ snippets WRITE setSnippets NOTIFY snippetsChanged)

public:
    explicit SnippetStore(const QString &folder = DataFolder::defaultPath(), QObject *parent = nullptr);

    const QList<Snippet> &snippets() const { return m_snippets; }
    void setSnippets(const QList<Snippet> &snippets);

    void add(const QString &cue, const QString &content);
    void remove(const QUuid &id);

    // The content of the first snippet whose cue equals the whole spoken text once both are
    // normalised; nothing when none does or the spoken text normalises to nothing.
    std::optional<QString> match(const QString &spokenText) const;

    // Lower-cased, with everything but letters, marks, numbers and horizontal white space
    // deleted, then trimmed. Inner runs of spaces stay.
    static QString normalize(const QString &text);

    void flush() { m_store.flush(); }

signals:
    void snippetsChanged();

private:
    JsonStore<Snippet> m_store;
    QList<Snippet> m_snippets;
};
