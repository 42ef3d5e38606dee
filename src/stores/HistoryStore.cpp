#include "stores/HistoryStore.h"

HistoryStore::HistoryStore(const Clock &clock, const QString &folder, QObject *parent)
    : QObject(parent), m_clock(clock), m_store(QStringLiteral("history.json"), folder),
      m_entries(m_store.load())
{}

void HistoryStore::setEntries(const QList<HistoryEntry> &entries)
{
    m_entries = entries;
    emit entriesChanged();
    m_store.save(m_entries);
}

void HistoryStore::add(const QString &text)
{
    QList<HistoryEntry> entries = m_entries;
    entries.prepend(HistoryEntry{QUuid::createUuid(), text, Timestamp::fromDateTime(m_clock.now())});
    setEntries(entries);
    if (m_entries.size() > kCapacity)
        setEntries(m_entries.first(kCapacity));
}

void HistoryStore::remove(const QUuid &id)
{
    QList<HistoryEntry> entries = m_entries;
    entries.removeIf([&](const HistoryEntry &entry) { return entry.id == id; });
    setEntries(entries);
}

void HistoryStore::clear()
{
    setEntries({});
}
