#pragma once

#include "stores/Snippet.h"
#include "ui/RowListModel.h"

#include <QtQml/qqmlregistration.h>

class SnippetStore;

// The Snippets tab: the store's snippets in the order added, and the cue and content of a new one.
// "Add" takes both fields as typed (spaces alone count as text) and empties them.
class SnippetListModel : public RowListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window")
    Q_PROPERTY(QString cue READ cue WRITE setCue NOTIFY cueChanged)
    Q_PROPERTY(QString content READ content WRITE setContent NOTIFY contentChanged)
    Q_PROPERTY(bool canAdd READ canAdd NOTIFY canAddChanged)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        CueRole,
        ContentRole,
    };
    Q_ENUM(Role)

    explicit SnippetListModel(SnippetStore &store, QObject *parent = nullptr);

    int count() const override { return int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QString &cue() const { return m_cue; }
    void setCue(const QString &text);
    const QString &content() const { return m_content; }
    void setContent(const QString &text);
    bool canAdd() const { return !m_cue.isEmpty() && !m_content.isEmpty(); }

    // False, and nothing added, while a field is empty.
    Q_INVOKABLE bool add();
    Q_INVOKABLE void remove(int row);

signals:
    void cueChanged();
    void contentChanged();
    void canAddChanged();

private:
    void reload();

    SnippetStore &m_store;
    QList<Snippet> m_rows;
    QString m_cue;
    QString m_content;
};
