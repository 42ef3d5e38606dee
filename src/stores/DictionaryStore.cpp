#include "stores/DictionaryStore.h"

DictionaryStore::DictionaryStore(const QString &folder, QObject *parent)
    : QObject(parent), m_store(QStringLiteral("dictionary.json"), folder), m_entries(m_store.load())
{}

void DictionaryStore::setEntries(const QList<DictionaryEntry> &entries)
{
    m_entries = entries;
    emit entriesChanged();
    m_store.save(m_entries);
}

void DictionaryStore::add(const QString &spoken, const QString &written)
{
    QList<DictionaryEntry> entries = m_entries;
    entries.append(DictionaryEntry{QUuid::createUuid(), spoken, written});
    setEntries(entries);
}

void DictionaryStore::remove(const QUuid &id)
{
    QList<DictionaryEntry> entries = m_entries;
    entries.removeIf([&](const DictionaryEntry &entry) { return entry.id == id; });
    setEntries(entries);
}
