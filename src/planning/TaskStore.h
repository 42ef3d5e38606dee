#pragma once

#include "core/Clock.h"
#include "planning/DictraTask.h"
#include "planning/TaskParser.h"
#include "stores/JsonStore.h"

#include <QList>
#include <QObject>
#include <QSettings>
#include <QUuid>

class NotificationCenter;

// The user's tasks, most recent capture first, persisted in tasks.json. Every open task with a
// reminder time still ahead has a pending notification whose identifier is the task's id.
class TaskStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<DictraTask> tasks READ tasks WRITE setTasks NOTIFY tasksChanged)
    Q_PROPERTY(double reminderLeadHours READ reminderLeadHours WRITE setReminderLeadHours NOTIFY
                   reminderLeadHoursChanged)

public:
    static constexpr double kDefaultReminderLeadHours = TaskParser::kDefaultReminderLeadHours;

    TaskStore(const Clock &clock, NotificationCenter &notifications, QSettings &settings,
              const QString &folder = DataFolder::defaultPath(), QObject *parent = nullptr);

    const QList<DictraTask> &tasks() const { return m_tasks; }
    // Saves at once, whoever assigns.
    void setTasks(const QList<DictraTask> &tasks);

    double reminderLeadHours() const { return m_reminderLeadHours; }
    // A lead that is not finite, or too large to count in minutes, becomes the default. Applies to
    // tasks captured afterwards; call rescheduleAll() to re-post the reminders already set.
    void setReminderLeadHours(double hours);

    // Parses the transcript, puts its tasks at the top and schedules their reminders. Returns the
    // new tasks in spoken order; none leaves everything as it was.
    QList<DictraTask> captureFromSpeech(const QString &transcript);
    void toggleDone(const QUuid &id);
    void remove(const QUuid &id);
    void clearDone();
    // Re-posts the stored reminder time of every open task.
    void rescheduleAll();

    // Open tasks by due time, those without one last; ties keep their stored order.
    QList<DictraTask> openTasks() const;
    // openTasks() without those that fell due before today.
    QList<DictraTask> upcoming() const;

    void flush() { m_store.flush(); }

signals:
    void tasksChanged();
    void reminderLeadHoursChanged();

private:
    void scheduleReminder(const DictraTask &task);

    const Clock &m_clock;
    NotificationCenter &m_notifications;
    QSettings &m_settings;
    TaskParser m_parser;
    JsonStore<DictraTask> m_store;
    QList<DictraTask> m_tasks;
    double m_reminderLeadHours = kDefaultReminderLeadHours;
};
