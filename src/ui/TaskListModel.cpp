#include "ui/TaskListModel.h"

#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "planning/TaskStore.h"
#include "ui/DateLabels.h"

TaskListModel::TaskListModel(TaskStore &store, AppState &app, QObject *parent)
    : RowListModel(parent), m_store(store), m_app(app)
{
    connect(&store, &TaskStore::tasksChanged, this, &TaskListModel::reload);
    connect(&store, &TaskStore::reminderLeadHoursChanged, this, &TaskListModel::leadTextChanged);
    reload();
}

void TaskListModel::reload()
{
    QList<DictraTask> rows = m_store.openTasks();
    const qsizetype openCount = rows.size();
    for (const DictraTask &task : m_store.tasks()) {
        if (task.isDone)
            rows.append(task);
    }
    // A task that changes section leaves one and enters the other, rather than changing in place.
    applyRows(m_rows, rows,
              [](const DictraTask &a, const DictraTask &b) { return a.id == b.id && a.isDone == b.isDone; });
    const int doneCount = int(rows.size() - openCount);
    if (openCount == m_openCount && doneCount == m_doneCount)
        return;
    m_openCount = int(openCount);
    m_doneCount = doneCount;
    emit countsChanged();
}

QVariant TaskListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const DictraTask &task = m_rows.at(index.row());
    switch (role) {
    case IdRole:
        return task.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case TitleRole:
        return task.title;
    case DoneRole:
        return task.isDone;
    case SectionRole:
        return task.isDone ? u"Done"_qs : u"Open"_qs;
    case DueRole:
        return task.dueAt ? DateLabels::abbreviatedDateTime(task.dueAt->toDateTime()) : QString();
    case NudgeRole:
        if (task.isDone || !task.remindAt)
            return QString();
        return QString(u"nudge "_qs + DateLabels::shortTime(task.remindAt->toDateTime().time()));
    case PeopleRole:
        return task.people.join(u", "_qs);
    default:
        return {};
    }
}

QHash<int, QByteArray> TaskListModel::roleNames() const
{
    return {{IdRole, "taskId"},         {TitleRole, "title"},  {DoneRole, "isDone"},
            {SectionRole, "section"},   {DueRole, "dueLabel"}, {NudgeRole, "nudgeLabel"},
            {PeopleRole, "peopleLabel"}};
}

QString TaskListModel::leadText() const
{
    return u"Reminders fire ~"_qs + QString::number(m_store.reminderLeadHours(), 'f', 1) +
           u"h before due time"_qs;
}

QString TaskListModel::footerText() const
{
    return QString::number(m_openCount) + u" open · "_qs + QString::number(m_doneCount) + u" done"_qs;
}

void TaskListModel::toggleDone(int row)
{
    if (row >= 0 && row < count())
        m_store.toggleDone(m_rows.at(row).id);
}

bool TaskListModel::canRemove(int row) const
{
    return row >= 0 && row < count() && !m_rows.at(row).isDone;
}

bool TaskListModel::remove(int row)
{
    if (!canRemove(row))
        return false;
    m_store.remove(m_rows.at(row).id);
    return true;
}

void TaskListModel::clearDone()
{
    m_store.clearDone();
}

void TaskListModel::captureWithVoice()
{
    m_app.deck().select(DeckMode::Capture);
    m_app.deck().show();
}
