#include "ui/HistoryListModel.h"

#include "platform/Pasteboard.h"
#include "stores/HistoryStore.h"
#include "ui/DateLabels.h"

HistoryListModel::HistoryListModel(HistoryStore &store, Pasteboard &pasteboard, QObject *parent)
    : RowListModel(parent), m_store(store), m_pasteboard(pasteboard)
{
    connect(&store, &HistoryStore::entriesChanged, this, &HistoryListModel::reload);
    reload();
}

void HistoryListModel::reload()
{
    applyRows(m_rows, m_store.entries(),
              [](const HistoryEntry &a, const HistoryEntry &b) { return a.id == b.id; });
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const HistoryEntry &entry = m_rows.at(index.row());
    switch (role) {
    case IdRole:
        return entry.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case TextRole:
        return entry.text;
    case DateRole:
        return DateLabels::abbreviatedDate(entry.date.toDateTime().date());
    case TimeRole:
        return DateLabels::shortTime(entry.date.toDateTime().time());
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryListModel::roleNames() const
{
    return {{IdRole, "entryId"}, {TextRole, "text"}, {DateRole, "dateLabel"}, {TimeRole, "timeLabel"}};
}

void HistoryListModel::copy(int row)
{
    if (row >= 0 && row < count())
        m_pasteboard.setText(m_rows.at(row).text);
}

void HistoryListModel::remove(int row)
{
    if (row >= 0 && row < count())
        m_store.remove(m_rows.at(row).id);
}

void HistoryListModel::clearAll()
{
    if (count() > 0)
        m_store.clear();
}
