#pragma once

#include "stores/DictionaryEntry.h"
#include "ui/RowListModel.h"

#include <QtQml/qqmlregistration.h>

class DictionaryStore;

// The Dictionary tab: the store's entries in the order added, and the two fields of a new entry.
// "Add" takes both fields as typed (spaces alone count as text) and empties them.
class DictionaryListModel : public RowListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")
    Q_PROPERTY(QString spoken READ spoken WRITE setSpoken NOTIFY spokenChanged)
    Q_PROPERTY(QString written READ written WRITE setWritten NOTIFY writtenChanged)
    Q_PROPERTY(bool canAdd READ canAdd NOTIFY canAddChanged)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        SpokenRole,
        WrittenRole,
    };
    Q_ENUM(Role)

    explicit DictionaryListModel(DictionaryStore &store, QObject *parent = nullptr);

    int count() const override { return int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QString &spoken() const { return m_spoken; }
    void setSpoken(const QString &text);
    const QString &written() const { return m_written; }
    void setWritten(const QString &text);
    bool canAdd() const { return !m_spoken.isEmpty() && !m_written.isEmpty(); }

    // False, and nothing added, while a field is empty.
    Q_INVOKABLE bool add();
    Q_INVOKABLE void remove(int row);

signals:
    void spokenChanged();
    void writtenChanged();
    void canAddChanged();

private:
    void reload();

    DictionaryStore &m_store;
    QList<DictionaryEntry> m_rows;
    QString m_spoken;
    QString m_written;
};
