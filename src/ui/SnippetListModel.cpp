#include "ui/SnippetListModel.h"

#include "stores/SnippetStore.h"

SnippetListModel::SnippetListModel(SnippetStore &store, QObject *parent)
    : RowListModel(parent), m_store(store)
{
    connect(&store, &SnippetStore::snippetsChanged, this, &SnippetListModel::reload);
    reload();
}

void SnippetListModel::reload()
{
    applyRows(m_rows, m_store.snippets(), [](const Snippet &a, const Snippet &b) { return a.id == b.id; });
}

QVariant SnippetListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Snippet &snippet = m_rows.at(index.row());
    switch (role) {
    case IdRole:
        return snippet.id.toString(QUuid::WithoutBraces);
    case CueRole:
        return snippet.cue;
    case Qt::DisplayRole:
    case ContentRole:
        return snippet.content;
    default:
        return {};
    }
}

QHash<int, QByteArray> SnippetListModel::roleNames() const
{
    return {{IdRole, "snippetId"}, {CueRole, "cue"}, {ContentRole, "content"}};
}

void SnippetListModel::setCue(const QString &text)
{
    if (m_cue == text)
        return;
    const bool couldAdd = canAdd();
    m_cue = text;
    emit cueChanged();
    if (canAdd() != couldAdd)
        emit canAddChanged();
}

void SnippetListModel::setContent(const QString &text)
{
    if (m_content == text)
        return;
    const bool couldAdd = canAdd();
    m_content = text;
    emit contentChanged();
    if (canAdd() != couldAdd)
        emit canAddChanged();
}

bool SnippetListModel::add()
{
    if (!canAdd())
        return false;
    m_store.add(m_cue, m_content);
    setCue({});
    setContent({});
    return true;
}

void SnippetListModel::remove(int row)
{
    if (row >= 0 && row < count())
        m_store.remove(m_rows.at(row).id);
}
