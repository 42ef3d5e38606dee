#pragma once

#include "stores/DictionaryEntry.h"
#include "stores/JsonStore.h"

#include <QList>
#include <QObject>

// The personal dictionary, in the order added, persisted in dictionary.json.
class DictionaryStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<DictionaryEntry> entries READ entries WRITE setEntries NOTIFY entriesChanged)

public:
    explicit DictionaryStore(const QString &folder = DataFolder::defaultPath(), QObject *parent = nullptr);

    const QList<DictionaryEntry> &entries() const { return m_entries; }
    // Every assignment is saved at once.
    void setEntries(const QList<DictionaryEntry> &entries);

    // Appends the texts unchanged; trimming and rejecting empty texts is the caller's business.
    void add(const QString &spoken, const QString &written);
    // Removes every entry with this id; saves even when there was none.
    void remove(const QUuid &id);

    void flush() { m_store.flush(); }

signals:
    void entriesChanged();

private:
    JsonStore<DictionaryEntry> m_store;
    QList<DictionaryEntry> m_entries;
};
