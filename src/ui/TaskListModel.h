#pragma once

#include "planning/DictraTask.h"
#include "ui/RowListModel.h"

#include <QtQml/qqmlregistration.h>

class AppState;
class TaskStore;

// The tasks window's list: the "Open" section (open tasks by due time, undated last) above the
// "Done" section (done tasks in stored order), each row with its detail labels in the user's
// locale; and the header and footer texts. Follows the task store as it changes.
class TaskListModel : public RowListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the tasks window")
    Q_PROPERTY(QString leadText READ leadText NOTIFY leadTextChanged)
    Q_PROPERTY(QString footerText READ footerText NOTIFY countsChanged)
    Q_PROPERTY(bool canClearDone READ canClearDone NOTIFY countsChanged)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        TitleRole,
        DoneRole,
        SectionRole,
        DueRole,
        NudgeRole,
        PeopleRole,
    };
    Q_ENUM(Role)

    TaskListModel(TaskStore &store, AppState &app, QObject *parent = nullptr);

    int count() const override { return int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString leadText() const;
    QString footerText() const;
    bool canClearDone() const { return m_doneCount > 0; }

    Q_INVOKABLE void toggleDone(int row);
    // Only rows of the "Open" section can be deleted; done tasks go with "Clear done".
    Q_INVOKABLE bool remove(int row);
    Q_INVOKABLE bool canRemove(int row) const;
    Q_INVOKABLE void clearDone();
    // Picks Capture on the Command Deck and brings the deck up.
    Q_INVOKABLE void captureWithVoice();

signals:
    void leadTextChanged();
    void countsChanged();

private:
    void reload();

    TaskStore &m_store;
    AppState &m_app;
    QList<DictraTask> m_rows;
    int m_openCount = 0;
    int m_doneCount = 0;
};
