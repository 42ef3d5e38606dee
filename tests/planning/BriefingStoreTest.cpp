#include "planning/BriefingStore.h"
#include "TestRegistry.h"
#include "planning/BriefingPanel.h"
#include "planning/TaskStore.h"
#include "support/IsolatedHome.h"
#include "support/RecordingNotificationCenter.h"

#include <QFile>
#include <QTest>

#include <limits>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDate kToday(2025, 6, 11);

struct Desk final : BriefingPanel
{
    IsolatedHome home;
    ManualClock clock{QDateTime(kToday, QTime(22, 0))};
    RecordingNotificationCenter notes;
    QStringList shown; // "kind day items"
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TaskStore> tasks;
    std::unique_ptr<BriefingStore> store;

    explicit Desk(const QByteArray &ini = {})
    {
        QFile file(home.root() + u"/Dictrava.conf"_s);
        if (file.open(QIODevice::WriteOnly))
            file.write("[General]\n" + ini + '\n');
        file.close();
        restart();
    }
    BriefingStore &restart()
    {
        store.reset();
        tasks.reset();
        settings = std::make_unique<QSettings>(home.root() + u"/Dictrava.conf"_s, QSettings::IniFormat);
        tasks = std::make_unique<TaskStore>(clock, notes, *settings, home.dataFolder());
        store = std::make_unique<BriefingStore>(clock, notes, *settings, home.dataFolder());
        store->setPanel(this);
        return *store;
    }
    void present(const DayBriefing &briefing, Kind kind) override
    {
        const char *names[] = {"morning", "midday", "manual"};
        shown.append(
            u"%1 %2 %3"_s.arg(QLatin1String(names[int(kind)]), briefing.dayKey).arg(briefing.items.size()));
    }
    DayBriefing capture(int day, int hour, const QString &text)
    {
        clock.set(QDateTime(kToday.addDays(day), QTime(hour, 0)));
        return store->captureFromSpeech(text, *tasks);
    }
    // "identifier|body|fire time" of the rituals posted, task reminders left out.
    QStringList rituals() const
    {
        QStringList lines;
        for (const NotificationRequest &request : notes.added) {
            if (request.identifier.startsWith(u"briefing-"_s))
                lines.append(request.identifier + u'|' + request.body + u'|' +
                             request.fireAt->toString(u"dd HH:mm"_s));
        }
        return lines;
    }
};

QStringList both(const QString &day, int items)
{
    return {u"briefing-morning-2025-06-%1|%2 things on deck today|%1 08:00"_s.arg(day).arg(items),
            u"briefing-midday-2025-06-%1|Still open: revisit what you haven’t touched|%1 13:00"_s.arg(day)};
}

} // namespace

class BriefingStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void capture_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QStringList>("rituals");
        const QStringList today = both(u"11"_s, 1), tomorrow = both(u"12"_s, 1);
        QTest::newRow("tomorrow at 22:00")
            << 22 << u"tomorrow call Sam and send the deck"_s << u"12"_s << tomorrow;
        QTest::newRow("today at 07:00") << 7 << u"today review the budget"_s << u"11"_s << today;
        QTest::newRow("todays at 08:00") << 8 << u"Todays plan: review it"_s << u"11"_s << today.mid(1);
        QTest::newRow("today at 14:00") << 14 << u"today review the budget"_s << u"11"_s << QStringList();
        QTest::newRow("no day word at 10:00") << 10 << u"review the budget"_s << u"12"_s << tomorrow;
        QTest::newRow("both words") << 14 << u"Tomorrow, not today: review it"_s << u"12"_s << tomorrow;
    }
    void capture()
    {
        QFETCH(int, hour);
        QFETCH(QString, text);
        QFETCH(QString, day);
        QFETCH(QStringList, rituals);
        Desk desk;
        const DayBriefing briefing = desk.capture(0, hour, text);
        QCOMPARE(desk.rituals(), rituals);
        QCOMPARE(briefing.dayKey, u"2025-06-"_s + day);
        QCOMPARE(briefing.rawTranscript, text);
        QCOMPARE(briefing.items.size(), desk.tasks->tasks().size()); // filed as tasks as well
        const BriefingItem &item = briefing.items.last();
        QCOMPARE(item.title, desk.tasks->tasks().last().title);
        QCOMPARE(item.dueAt->toDateTime().time(), QTime(9, 0));
        QCOMPARE(desk.restart().briefings(), QList<DayBriefing>{briefing});
    }

    void laterDumpsExtendTheDay()
    {
        Desk desk;
        desk.capture(0, 21, u"Tomorrow call Sam"_s);
        desk.capture(1, 7, u"today pay rent then water plants"_s);
        QCOMPARE(desk.rituals(), both(u"12"_s, 1) + both(u"12"_s, 3));
        desk.clock.set(QDateTime(kToday.addDays(1), QTime(8, 30)));
        desk.store->startScheduler(); // ticks at once
        const DayBriefing day = desk.capture(1, 9, u"today feed cat"_s);
        desk.store->tick(); // a later dump does not bring the card back
        QCOMPARE(desk.shown, QStringList{u"morning 2025-06-12 3"_s});
        QCOMPARE(day.items.size(), 4);
        QCOMPARE(day.rawTranscript, u"Tomorrow call Sam\ntoday pay rent then water plants\ntoday feed cat"_s);
        QCOMPARE(day.createdAt.toDateTime(), QDateTime(kToday, QTime(21, 0)));
        QVERIFY(day.morningShown && !day.middayShown);
        desk.capture(2, 20, u"Call Ann"_s);
        QCOMPARE(desk.store->briefings().first().dayKey, u"2025-06-14"_s); // newest first
    }

    void tickWindows_data()
    {
        QTest::addColumn<int>("morningHour");
        QTest::addColumn<bool>("dealtWith");
        QTest::addColumn<QList<int>>("ticks"); // hours of day, in order
        QTest::addColumn<QStringList>("shown");
        const QString morning = u"morning 2025-06-11 2"_s, midday = u"midday 2025-06-11 2"_s;
        QTest::newRow("morning once") << 8 << false << QList<int>{7, 8, 12} << QStringList{morning};
        QTest::newRow("morning, midday")
            << 8 << false << QList<int>{9, 13, 15} << QStringList{morning, midday};
        QTest::newRow("midday, nothing open") << 8 << true << QList<int>{13, 14} << QStringList();
        QTest::newRow("after the midday window") << 8 << false << QList<int>{16} << QStringList();
        QTest::newRow("morning not before midday") << 14 << false << QList<int>{14} << QStringList{midday};
    }
    void tickWindows()
    {
        QFETCH(int, morningHour);
        QFETCH(bool, dealtWith);
        QFETCH(QList<int>, ticks);
        QFETCH(QStringList, shown);
        Desk desk;
        desk.store->setMorningHour(morningHour);
        const DayBriefing briefing = desk.capture(0, 5, u"today pay rent then call Ann"_s);
        if (dealtWith) {
            desk.store->toggleDone(briefing.items[0].id, briefing.dayKey);
            desk.store->markTouched(briefing.items[1].id, briefing.dayKey);
        }
        for (int hour : ticks) {
            desk.clock.set(QDateTime(kToday, QTime(hour, 0)));
            desk.store->tick();
        }
        QCOMPARE(desk.shown, shown);
        QCOMPARE(desk.restart().today()->middayShown, ticks.contains(13) || ticks.contains(14));
    }

    void cardActionsAndShowTodayNow()
    {
        Desk desk;
        desk.store->showTodayNow();
        const DayBriefing briefing = desk.capture(0, 22, u"pay rent then call Ann"_s);
        const QUuid rent = briefing.items[0].id;
        desk.store->toggleDone(rent, briefing.dayKey);
        desk.store->toggleDone(rent, briefing.dayKey);
        const BriefingItem item = desk.store->tomorrow()->items[0];
        QVERIFY(!item.isDone && item.isTouched);
        const QList<DayBriefing> before = desk.store->briefings();
        desk.store->toggleDone(rent, u"2025-06-11"_s);
        desk.store->markTouched(QUuid::createUuid(), briefing.dayKey);
        QCOMPARE(desk.restart().briefings(), before);

        desk.store->showTodayNow();
        desk.capture(0, 7, u"today feed cat"_s);
        desk.store->showTodayNow();
        QCOMPARE(desk.shown, (QStringList{u"manual 2025-06-12 2"_s, u"manual 2025-06-11 1"_s}));
    }

    void hoursFromSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("morning");
        QTest::addColumn<int>("midday");
        QTest::newRow("absent") << QByteArray() << 8 << 13;
        QTest::newRow("set") << QByteArray("briefingMorningHour=6\nbriefingMiddayHour=0") << 6 << 0;
        for (const char *ini : {"briefingMorningHour=24\nbriefingMiddayHour=-1",
                                "briefingMorningHour=99999999999999999999\nbriefingMiddayHour=4294967309",
                                "briefingMorningHour=7.5\nbriefingMiddayHour=@Size(7 7)"})
            QTest::newRow(ini) << QByteArray(ini) << 8 << 13; // outside the day, huge, garbage
    }
    void hoursFromSettings()
    {
        QFETCH(QByteArray, ini);
        Desk desk(ini);
        QTEST(desk.store->morningHour(), "morning");
        QTEST(desk.store->middayHour(), "midday");
        desk.store->setMorningHour(30); // clamped into the day, and kept
        desk.store->setMiddayHour(-5);
        QCOMPARE(desk.restart().morningHour(), 23);
        QCOMPARE(desk.store->middayHour(), 0);
    }

    void ritualHourSkippedByDaylightSaving()
    {
        if (QDateTime(QDate(2025, 3, 30), QTime(2, 0)).isValid())
            QSKIP("needs a time zone that skips 02:00 on 2025-03-30, as TZ=Europe/Berlin does");
        Desk desk("briefingMorningHour=2");
        desk.clock.set(QDateTime(QDate(2025, 3, 29), QTime(22, 0))); // Berlin skips 02:00–03:00 next night
        desk.store->captureFromSpeech(u"tomorrow pay rent"_s, *desk.tasks);
        QCOMPARE(desk.rituals().first(), u"briefing-morning-2025-03-30|1 things on deck today|30 03:00"_s);
    }

    void extremeClocks()
    {
        for (const QDateTime &now :
             {QDateTime(QDate(-9999, 1, 1), QTime(8, 0)), QDateTime(QDate(250000, 1, 1), QTime(8, 0)),
              QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::min() / 2),
              QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max() / 2)}) {
            Desk desk;
            desk.clock.set(now);
            const DayBriefing briefing =
                desk.store->captureFromSpeech(u"today call Ann then pay rent"_s, *desk.tasks);
            QCOMPARE(briefing.items.size(), 2);
            desk.store->startScheduler();
            desk.store->toggleDone(briefing.items[0].id, briefing.dayKey);
            QCOMPARE(desk.restart().briefings().size(), 1);
        }
    }
};

DICTRAVA_TEST(BriefingStoreTest)
#include "BriefingStoreTest.moc"
