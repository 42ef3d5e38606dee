#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

#include <algorithm>

// A list model over rows held as values, for lists that a store republishes whole. A new list is
// applied as the one run of rows removed and inserted between the unchanged head and tail, and
// rows that stayed but changed are announced: a view keeps its scroll position, its selection and
// the delegates of every other row when one row comes or goes.
class RowListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    virtual int count() const = 0;

signals:
    void countChanged();

protected:
    // `sameItem` tells whether two rows stand for the same item (usually: the same id).
    template<typename Row, typename SameItem>
    void applyRows(QList<Row> &rows, const QList<Row> &next, SameItem sameItem)
    {
        const qsizetype oldCount = rows.size();
        const qsizetype newCount = next.size();
        qsizetype head = 0;
        while (head < oldCount && head < newCount && sameItem(rows[head], next[head]))
            ++head;
        qsizetype tail = 0;
        while (tail < oldCount - head && tail < newCount - head &&
               sameItem(rows[oldCount - 1 - tail], next[newCount - 1 - tail]))
            ++tail;

        if (const qsizetype removed = oldCount - head - tail; removed > 0) {
            beginRemoveRows({}, int(head), int(head + removed - 1));
            rows.remove(head, removed);
            endRemoveRows();
        }
        if (const qsizetype inserted = newCount - head - tail; inserted > 0) {
            beginInsertRows({}, int(head), int(head + inserted - 1));
            rows.insert(head, inserted, Row());
            std::copy(next.begin() + head, next.begin() + head + inserted, rows.begin() + head);
            endInsertRows();
        }

        qsizetype firstChanged = -1;
        qsizetype lastChanged = -1;
        for (qsizetype i = 0; i < newCount; ++i) {
            if (rows[i] == next[i])
                continue;
            rows[i] = next[i];
            firstChanged = firstChanged < 0 ? i : firstChanged;
            lastChanged = i;
        }
        if (firstChanged >= 0)
            emit dataChanged(index(int(firstChanged)), index(int(lastChanged)));
        if (oldCount != newCount)
            emit countChanged();
    }
};
