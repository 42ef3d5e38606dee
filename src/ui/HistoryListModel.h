#pragma once

#include "stores/HistoryEntry.h"
#include "ui/RowListModel.h"

#include <QtQml/qqmlregistration.h>

class HistoryStore;
class Pasteboard;

// The history window's list: past dictations, newest first, with their date and time in the
// user's locale. Follows the history store as it changes.
class HistoryListModel : public RowListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the history window")

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        TextRole,
        DateRole,
        TimeRole,
    };
    Q_ENUM(Role)

    HistoryListModel(HistoryStore &store, Pasteboard &pasteboard, QObject *parent = nullptr);

    int count() const override { return int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces the clipboard's content with the row's text.
    Q_INVOKABLE void copy(int row);
    Q_INVOKABLE void remove(int row);
    Q_INVOKABLE void clearAll();

private:
    void reload();

    HistoryStore &m_store;
    Pasteboard &m_pasteboard;
    QList<HistoryEntry> m_rows;
};
