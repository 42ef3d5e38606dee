#pragma once

#include "core/Clock.h"
#include "stores/HistoryEntry.h"
#include "stores/JsonStore.h"

#include <QList>
#include <QObject>

// The most recent dictation results, newest first, at most 500, persisted in history.json.
class HistoryStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<HistoryEntry> entries READ entries WRITE setEntries NOTIFY entriesChanged)

public:
    static constexpr qsizetype kCapacity = 500;

    explicit HistoryStore(const Clock &clock, const QString &folder = DataFolder::defaultPath(),
                          QObject *parent = nullptr);

    const QList<HistoryEntry> &entries() const { return m_entries; }
    void setEntries(const QList<HistoryEntry> &entries);

    // Puts the text at the front, then trims the list to the newest 500.
    void add(const QString &text);
    void remove(const QUuid &id);
    void clear();

    void flush() { m_store.flush(); }

signals:
    void entriesChanged();

private:
    const Clock &m_clock;
    JsonStore<HistoryEntry> m_store;
    QList<HistoryEntry> m_entries;
};
