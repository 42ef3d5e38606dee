#include "planning/TaskStore.h"
#include "TestRegistry.h"
#include "core/Json.h"
#include "support/IsolatedHome.h"
#include "support/RecordingNotificationCenter.h"

#include <QFile>
#include <QTest>

#include <limits>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime kMorning(QDate(2025, 6, 11), QTime(4, 0));

// restart() reopens the settings file and the store, as a relaunch would.
struct Desk
{
    IsolatedHome home;
    ManualClock clock{kMorning};
    RecordingNotificationCenter notes;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TaskStore> store;

    explicit Desk(const QByteArray &ini = {})
    {
        QFile file(home.root() + u"/Dictrava.conf"_s);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[General]\n" + ini + '\n') > 0);
        file.close();
        restart();
    }
    TaskStore &restart()
    {
        store.reset();
        settings = std::make_unique<QSettings>(home.root() + u"/Dictrava.conf"_s, QSettings::IniFormat);
        store = std::make_unique<TaskStore>(clock, notes, *settings, home.dataFolder());
        return *store;
    }
    QString id(int i) const { return Json::uuidString(store->tasks().at(i).id); }
    QStringList titles(const QList<DictraTask> &tasks) const
    {
        QStringList result;
        for (const DictraTask &task : tasks)
            result.append(task.title);
        return result;
    }
};

} // namespace

class TaskStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void captureStacksAndPostsReminders()
    {
        Desk desk;
        const auto first =
            desk.store->captureFromSpeech(u"Tomorrow at 3 talk about the lease with Sarah and Tom"_s);
        const auto second = desk.store->captureFromSpeech(u"Buy milk then water plants"_s);
        QCOMPARE(desk.store->tasks(), second + first);
        QCOMPARE(desk.notes.added.size(), 3);
        QCOMPARE(desk.notes.added.first(),
                 (NotificationRequest{desk.id(2), u"Dictra reminder"_s,
                                      u"At 3 talk about the lease with Sarah and Tom — with Sarah, Tom"_s,
                                      true, QDateTime(QDate(2025, 6, 12), QTime(11, 30))}));
        QCOMPARE(desk.notes.removed, (QStringList{desk.id(2), desk.id(0), desk.id(1)})); // replace, then post
        QVERIFY(desk.store->captureFromSpeech(u" \n"_s).isEmpty());
        QCOMPARE(desk.restart().tasks(), second + first);
    }

    void toggleDone_data()
    {
        QTest::addColumn<QDateTime>("captureAt");
        QTest::addColumn<int>("untickAfterMinutes");
        QTest::addColumn<int>("posts"); // at capture and at the untick
        // "Buy milk" is due at 09:00; with the 3.5 h lead its reminder is at 05:30.
        QTest::newRow("untick before the reminder") << kMorning << 60 << 2;
        QTest::newRow("untick at the reminder") << kMorning << 90 << 1;
        QTest::newRow("captured when already due") << kMorning.addSecs(6 * 3600) << 0 << 0;
        QTest::newRow("year 250000") << QDateTime(QDate(250000, 6, 1), QTime(4, 0)) << 60 << 2;
    }
    void toggleDone()
    {
        QFETCH(QDateTime, captureAt);
        QFETCH(int, untickAfterMinutes);
        Desk desk;
        desk.clock.set(captureAt);
        const QUuid id = desk.store->captureFromSpeech(u"Buy milk"_s).first().id;
        desk.store->toggleDone(id);
        QCOMPARE(desk.notes.removed, QStringList(2, desk.id(0)));
        desk.clock.advance(untickAfterMinutes * 60);
        desk.store->toggleDone(id);
        desk.store->toggleDone(QUuid::createUuid());
        QCOMPARE(desk.notes.removed.size(), 3);
        QTEST(int(desk.notes.added.size()), "posts");
        QCOMPARE(desk.store->upcoming().size(), 1);
        QCOMPARE(desk.restart().tasks().first().isDone, false);
    }

    void removeClearAndReschedule()
    {
        Desk desk;
        TaskStore &store = *desk.store;
        store.captureFromSpeech(u"Tomorrow call Ann at 3 then pay rent then feed cat then pack"_s);
        const QString ann = desk.id(0), rent = desk.id(1), cat = desk.id(2), pack = desk.id(3);
        store.toggleDone(store.tasks().at(1).id);
        store.toggleDone(store.tasks().at(3).id);
        store.setReminderLeadHours(1);
        desk.notes = {};
        store.rescheduleAll(); // stored times, open tasks only
        QCOMPARE(desk.notes.removed, (QStringList{ann, cat}));
        QCOMPARE(desk.notes.added.first().fireAt, QDateTime(QDate(2025, 6, 12), QTime(11, 30)));

        desk.notes = {};
        store.clearDone();
        store.remove(store.tasks().at(1).id);
        QCOMPARE(desk.notes.removed, (QStringList{rent, pack, cat}));
        QCOMPARE(desk.titles(desk.restart().tasks()), QStringList{u"Call Ann at 3"_s});
        desk.store->captureFromSpeech(u"Tomorrow call Bob at 3"_s); // with the new lead
        QCOMPARE(desk.notes.added.last().fireAt, QDateTime(QDate(2025, 6, 12), QTime(14, 0)));
    }

    void openTasksAndUpcoming()
    {
        Desk desk;
        QList<DictraTask> tasks;
        const auto add = [&](const char *title, std::optional<int> day, int hour = 9, bool done = false) {
            DictraTask task;
            task.id = QUuid::createUuid();
            task.title = QString::fromUtf8(title);
            if (day)
                task.dueAt =
                    Timestamp::fromDateTime(QDateTime(kMorning.date().addDays(*day), QTime(hour, 0)));
            task.isDone = done;
            tasks.append(task);
        };
        add("none A", {}), add("15:00", 0, 15), add("tomorrow", 1), add("done", -2, 8, true);
        add("yesterday", -1, 23), add("none B", {}), add("09:00", 0), add("midnight", 0, 0);
        desk.store->setTasks(tasks);
        const QStringList open{u"yesterday"_s, u"midnight"_s, u"09:00"_s, u"15:00"_s,
                               u"tomorrow"_s,  u"none A"_s,   u"none B"_s};
        QCOMPARE(desk.titles(desk.store->openTasks()), open);
        QCOMPARE(desk.titles(desk.store->upcoming()), open.mid(1));
        QCOMPARE(desk.restart().tasks(), tasks); // assigned from outside, saved all the same
    }

    void leadFromSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<double>("lead");
        QTest::newRow("absent") << QByteArray() << 3.5;
        QTest::newRow("padded fraction") << QByteArray("reminderLeadHours=\" 1.25 \"") << 1.25;
        QTest::newRow("negative") << QByteArray("reminderLeadHours=-2") << -2.0;
        QTest::newRow("minutes just fit") << QByteArray("reminderLeadHours=1e17") << 1e17;
        for (const char *garbage : {"1.6e17", "nan", "soon", "", "@Rect(1 2 3 4)", "\xff[=\n="})
            QTest::addRow("garbage %s", garbage) << "reminderLeadHours=" + QByteArray(garbage) << 3.5;
    }
    void leadFromSettings()
    {
        QFETCH(QByteArray, ini);
        Desk desk(ini);
        QTEST(desk.store->reminderLeadHours(), "lead");
        QCOMPARE(desk.store->captureFromSpeech(u"Buy milk"_s).size(), 1);
        desk.store->setReminderLeadHours(2);
        QCOMPARE(desk.restart().reminderLeadHours(), 2.0);
        desk.store->setReminderLeadHours(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(desk.restart().reminderLeadHours(), 3.5);
        desk.store->setReminderLeadHours(2e17);
        QCOMPARE(desk.store->reminderLeadHours(), 3.5);
    }
};

DICTRAVA_TEST(TaskStoreTest)
#include "TaskStoreTest.moc"
