#include "planning/TaskStore.h"

#include "core/Diagnostics.h"
#include "core/Json.h"
#include "platform/NotificationCenter.h"

#include <QMetaType>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kLeadKey = u"reminderLeadHours"_s;

// Every task of a capture keeps the whole transcript, so a long text cut into many tasks would be
// stored many times over: one capture keeps at most this many characters of transcript copies.
constexpr qsizetype kCaptureBudget = 4 * 1024 * 1024;

// The parser turns the lead into whole minutes in a signed 64-bit integer; anything else would
// poison the date arithmetic.
bool isUsableLead(double hours)
{
    constexpr double kTwoToThe63 = 9223372036854775808.0;
    const double minutes = hours * 60.0;
    return std::isfinite(minutes) && minutes < kTwoToThe63 && minutes >= -kTwoToThe63;
}

double usableLead(double hours)
{
    return isUsableLead(hours) ? hours : TaskStore::kDefaultReminderLeadHours;
}

// The settings file is text the user may have edited: a number in words, a list or a serialised
// object of some other type all count as "not a number".
double leadFromSettings(const QVariant &stored)
{
    bool ok = false;
    double hours = 0.0;
    switch (stored.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        hours = stored.toDouble(&ok);
        break;
    case QMetaType::QString:
        hours = stored.toString().trimmed().toDouble(&ok);
        break;
    case QMetaType::QByteArray:
        hours = stored.toByteArray().trimmed().toDouble(&ok);
        break;
    default:
        break;
    }
    return ok ? usableLead(hours) : TaskStore::kDefaultReminderLeadHours;
}

QString reminderBody(const DictraTask &task)
{
    if (task.people.isEmpty())
        return task.title;
    return task.title + u" — with "_s + task.people.join(u", "_s);
}

} // namespace

TaskStore::TaskStore(const Clock &clock, NotificationCenter &notifications, QSettings &settings,
                     const QString &folder, QObject *parent)
    : QObject(parent), m_clock(clock), m_notifications(notifications), m_settings(settings),
      m_store(u"tasks.json"_s, folder), m_tasks(m_store.load()),
      m_reminderLeadHours(leadFromSettings(settings.value(kLeadKey)))
{}

void TaskStore::setTasks(const QList<DictraTask> &tasks)
{
    m_tasks = tasks;
    emit tasksChanged();
    m_store.save(m_tasks);
}

void TaskStore::setReminderLeadHours(double hours)
{
    const double lead = usableLead(hours);
    if (lead == m_reminderLeadHours)
        return;
    m_reminderLeadHours = lead;
    m_settings.setValue(kLeadKey, lead);
    emit reminderLeadHoursChanged();
}

QList<DictraTask> TaskStore::captureFromSpeech(const QString &transcript)
{
    QList<DictraTask> parsed = m_parser.parse(transcript, m_reminderLeadHours, m_clock);
    if (parsed.isEmpty())
        return parsed;
    const qsizetype allowed =
        std::max<qsizetype>(1, kCaptureBudget / std::max<qsizetype>(1, transcript.size()));
    if (parsed.size() > allowed) {
        printDiagnostic(u"[Tasks] kept the first "_s + QString::number(allowed) + u" of "_s +
                        QString::number(parsed.size()) + u" tasks of one very long capture"_s);
        parsed.resize(allowed);
    }
    setTasks(parsed + m_tasks);
    for (const DictraTask &task : parsed)
        scheduleReminder(task);
    return parsed;
}

void TaskStore::toggleDone(const QUuid &id)
{
    const auto found =
        std::find_if(m_tasks.cbegin(), m_tasks.cend(), [&](const DictraTask &task) { return task.id == id; });
    if (found == m_tasks.cend())
        return;
    QList<DictraTask> tasks = m_tasks;
    DictraTask &task = tasks[std::distance(m_tasks.cbegin(), found)];
    task.isDone = !task.isDone;
    const DictraTask toggled = task;
    setTasks(tasks);
    if (toggled.isDone)
        m_notifications.removePending({Json::uuidString(toggled.id)});
    else
        scheduleReminder(toggled);
}

void TaskStore::remove(const QUuid &id)
{
    m_notifications.removePending({Json::uuidString(id)});
    QList<DictraTask> tasks = m_tasks;
    tasks.removeIf([&](const DictraTask &task) { return task.id == id; });
    setTasks(tasks);
}

void TaskStore::clearDone()
{
    for (const DictraTask &task : std::as_const(m_tasks)) {
        if (task.isDone)
            m_notifications.removePending({Json::uuidString(task.id)});
    }
    QList<DictraTask> tasks = m_tasks;
    tasks.removeIf([](const DictraTask &task) { return task.isDone; });
    setTasks(tasks);
}

void TaskStore::rescheduleAll()
{
    // A copy: posting must not be disturbed by anything that reacts to it by editing the list.
    const QList<DictraTask> tasks = m_tasks;
    for (const DictraTask &task : tasks) {
        if (!task.isDone)
            scheduleReminder(task);
    }
}

QList<DictraTask> TaskStore::openTasks() const
{
    QList<DictraTask> open;
    std::copy_if(m_tasks.cbegin(), m_tasks.cend(), std::back_inserter(open),
                 [](const DictraTask &task) { return !task.isDone; });
    std::stable_sort(open.begin(), open.end(), [](const DictraTask &a, const DictraTask &b) {
        if (!a.dueAt || !b.dueAt)
            return a.dueAt.has_value() && !b.dueAt.has_value();
        return *a.dueAt < *b.dueAt;
    });
    return open;
}

QList<DictraTask> TaskStore::upcoming() const
{
    QList<DictraTask> open = openTasks();
    const QDateTime startOfToday = m_clock.now().toLocalTime().date().startOfDay();
    // A clock beyond the calendar's range has no midnight to compare with; nothing is left out then.
    if (!startOfToday.isValid())
        return open;
    const Timestamp threshold = Timestamp::fromDateTime(startOfToday);
    open.removeIf([&](const DictraTask &task) { return task.dueAt && *task.dueAt < threshold; });
    return open;
}

void TaskStore::scheduleReminder(const DictraTask &task)
{
    const QString identifier = Json::uuidString(task.id);
    m_notifications.removePending({identifier});
    if (!task.remindAt)
        return;
    const QDateTime remindAt = task.remindAt->toDateTime().toLocalTime();
    if (!(remindAt > m_clock.now()))
        return;
    // The trigger matches calendar fields down to the second.
    const QDateTime fireAt = remindAt.addMSecs(-remindAt.time().msec());
    m_notifications.add(
        NotificationRequest{identifier, u"Dictra reminder"_s, reminderBody(task), true, fireAt});
}
