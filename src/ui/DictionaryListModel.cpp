#include "ui/DictionaryListModel.h"

#include "stores/DictionaryStore.h"

DictionaryListModel::DictionaryListModel(DictionaryStore &store, QObject *parent)
    : RowListModel(parent), m_store(store)
{
    connect(&store, &DictionaryStore::entriesChanged, this, &DictionaryListModel::reload);
    reload();
}

void DictionaryListModel::reload()
{
    applyRows(m_rows, m_store.entries(),
              [](const DictionaryEntry &a, const DictionaryEntry &b) { return a.id == b.id; });
}

QVariant DictionaryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const DictionaryEntry &entry = m_rows.at(index.row());
    switch (role) {
    case IdRole:
        return entry.id.toString(QUuid::WithoutBraces);
    case SpokenRole:
        return entry.spoken;
    case Qt::DisplayRole:
    case WrittenRole:
        return entry.written;
    default:
        return {};
    }
}

QHash<int, QByteArray> DictionaryListModel::roleNames() const
{
    return {{IdRole, "entryId"}, {SpokenRole, "spoken"}, {WrittenRole, "written"}};
}

void DictionaryListModel::setSpoken(const QString &text)
{
    if (m_spoken == text)
        return;
    const bool couldAdd = canAdd();
    m_spoken = text;
    emit spokenChanged();
    if (canAdd() != couldAdd)
        emit canAddChanged();
}

void DictionaryListModel::setWritten(const QString &text)
{
    if (m_written == text)
        return;
    const bool couldAdd = canAdd();
    m_written = text;
    emit writtenChanged();
    if (canAdd() != couldAdd)
        emit canAddChanged();
}

bool DictionaryListModel::add()
{
    if (!canAdd())
        return false;
    m_store.add(m_spoken, m_written);
    setSpoken({});
    setWritten({});
    return true;
}

void DictionaryListModel::remove(int row)
{
    if (row >= 0 && row < count())
        m_store.remove(m_rows.at(row).id);
}
