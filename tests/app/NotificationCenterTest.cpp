#include "TestRegistry.h"
#include "app/LocalNotificationCenter.h"
#include "platform/DBusNotificationClient.h"
#include "support/PrivateSessionBus.h"
#include "support/TestNotificationServer.h"

#include <QDBusServiceWatcher>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kStart(QDate(2026, 3, 10), QTime(21, 15));
const QStringList kMarkupServer{u"body"_s, u"body-markup"_s};

NotificationRequest request(const QString &title, std::optional<QDateTime> fireAt = std::nullopt)
{
    return NotificationRequest{title, title, title + u" body"_s, true, fireAt};
}

// A private bus with a recording notification server, a client on it and a data folder.
struct Desktop
{
    explicit Desktop(const QStringList &capabilities = kMarkupServer, std::chrono::milliseconds timeout = 5s)
        : server(capabilities), client(clientBus, timeout)
    {
        server.registerOn(bus.connect());
    }

    // Titles shown so far. A marker sent last has gone out once it arrives; the short wait
    // lets a re-post that queued behind an earlier call's answer follow.
    QStringList shown()
    {
        const QString marker = u"marker "_s + QString::number(++markers);
        client.show(marker, marker, QString(), false);
        if (!QTest::qWaitFor(
                [&] { return !server.received.isEmpty() && server.received.last().summary == marker; }))
            return {u"marker never arrived"_s};
        QTest::qWait(50);
        QStringList titles;
        for (const TestNotificationServer::Received &r : std::as_const(server.received))
            if (!r.summary.startsWith(u"marker "_s))
                titles.append(r.summary);
        return titles;
    }

    // Runs the change and waits until the client's connection has seen the service change hands.
    bool changeServer(const std::function<void()> &change)
    {
        QDBusServiceWatcher watcher(u"org.freedesktop.Notifications"_s, clientBus,
                                    QDBusServiceWatcher::WatchForOwnerChange);
        QSignalSpy spy(&watcher, &QDBusServiceWatcher::serviceOwnerChanged);
        change();
        return spy.wait(5000);
    }

    LocalNotificationCenter center() { return LocalNotificationCenter(clock, client, folder.path()); }

    PrivateSessionBus bus;
    TestNotificationServer server;
    QDBusConnection clientBus = bus.connect();
    DBusNotificationClient client;
    QTemporaryDir folder;
    ManualClock clock{kStart};
    int markers = 0;
};

} // namespace

class NotificationCenterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const PrivateSessionBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
    }
    // Among others, QTimer's complaint about an interval that overflowed into a negative one.
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); }

    void contentFiresAtItsMoment_data()
    {
        QTest::addColumn<NotificationRequest>("posted");
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("expectedBody");

        QTest::newRow("task reminder to the second, markup escaped")
            << NotificationRequest{u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s, u"Dictra reminder"_s,
                                   u"Tom & Jerry <b>x</b> &amp;"_s, true,
                                   QDateTime(QDate(2026, 3, 11), QTime(11, 30, 45))}
            << kMarkupServer << u"Tom &amp; Jerry &lt;b&gt;x&lt;/b&gt; &amp;amp;"_s;
        QTest::newRow("morning briefing, plain-text server, no sound")
            << NotificationRequest{u"briefing-morning-2026-03-11"_s, u"Your Dictra morning briefing"_s,
                                   u"3 things on deck & <more>"_s, false,
                                   QDateTime(QDate(2026, 3, 11), QTime(8, 0))}
            << QStringList{u"body"_s} << u"3 things on deck & <more>"_s;
    }

    void contentFiresAtItsMoment()
    {
        QFETCH(NotificationRequest, posted);
        QFETCH(QStringList, capabilities);

        Desktop desktop(capabilities);
        ManualClock &clock = desktop.clock;
        LocalNotificationCenter center = desktop.center();
        center.add(posted);
        QCOMPARE(center.pending().size(), 1);
        clock.set(posted.fireAt->addMSecs(-1));
        center.deliverDue();
        QCOMPARE(desktop.shown(), QStringList());
        clock.set(*posted.fireAt);
        center.deliverDue();
        QCOMPARE(desktop.shown(), QStringList{posted.title});
        QVERIFY(center.pending().isEmpty());

        const TestNotificationServer::Received got = desktop.server.received.at(1); // after the marker
        QCOMPARE(got.replacesId, 0u);
        QTEST(got.body, "expectedBody");
        QCOMPARE(got.hints.value(u"sound-name"_s).toString(),
                 posted.defaultSound ? u"message-new-instant"_s : QString());
    }

    void removalReplacementAndLateTriggers()
    {
        Desktop desktop;
        ManualClock &clock = desktop.clock;
        LocalNotificationCenter center = desktop.center();
        const QDateTime inAnHour = kStart.addSecs(3600);

        center.add(request(u"removed"_s, inAnHour));
        center.add(request(u"kept"_s, inAnHour));
        center.removePending({u"removed"_s, u"never posted"_s});
        // A later post with the same identifier takes the pending one's place, time and all.
        center.add({u"moved"_s, u"moved early"_s, {}, true, inAnHour});
        center.add({u"moved"_s, u"moved late"_s, {}, true, inAnHour.addSecs(1)});
        center.add({u"now"_s, u"now, pending"_s, {}, true, inAnHour});
        center.add({u"now"_s, u"now, at once"_s, {}, true, {}});
        center.add({u"again"_s, u"again, first"_s, {}, true, {}});
        center.add({u"again"_s, u"again, second"_s, {}, true, inAnHour});
        // Due on arrival: shown when recent, dropped when stale or when there is no moment at all.
        center.add(request(u"a minute late"_s, kStart.addSecs(-60)));
        center.add(request(u"thirteen hours late"_s, kStart.addSecs(-13 * 3600)));
        center.add(request(u"invalid"_s, QDateTime()));
        QCOMPARE(desktop.shown(), (QStringList{u"now, at once"_s, u"again, first"_s, u"a minute late"_s}));

        clock.set(inAnHour.addSecs(1));
        center.deliverDue();
        QCOMPARE(desktop.shown().mid(3), (QStringList{u"kept"_s, u"again, second"_s, u"moved late"_s}));
        QVERIFY(center.pending().isEmpty());
        // The re-post took the place of the one on screen, until the user dismissed that.
        const QList<TestNotificationServer::Received> &received = desktop.server.received;
        QCOMPARE(received[5].replacesId, received[1].id);
        desktop.server.dismiss(received[1].id);
        QTest::qWait(100);
        center.add({u"again"_s, u"again, third"_s, {}, true, {}});
        QCOMPARE(desktop.shown().last(), u"again, third"_s);
        QCOMPARE(received[received.size() - 2].replacesId, 0u);
    }

    void pendingSurvivesRestart_data()
    {
        QTest::addColumn<QDateTime>("restartAt");
        QTest::addColumn<bool>("shownAtStart");
        QTest::addColumn<bool>("stillPending");

        const QDateTime due = kStart.addSecs(10 * 3600); // 07:15 the next morning
        QTest::newRow("before it is due") << due.addSecs(-60) << false << true;
        QTest::newRow("just due") << due << true << false;
        QTest::newRow("at the edge of the window") << due.addSecs(12 * 3600) << true << false;
        QTest::newRow("a second too late") << due.addSecs(12 * 3600 + 1) << false << false;
        QTest::newRow("clock long before 1970")
            << QDateTime(QDate(1601, 1, 1), QTime(12, 0)) << false << true;
    }

    void pendingSurvivesRestart()
    {
        QFETCH(QDateTime, restartAt);
        QFETCH(bool, shownAtStart);
        QFETCH(bool, stillPending);

        Desktop desktop;
        ManualClock &clock = desktop.clock;
        const QDateTime due = kStart.addSecs(10 * 3600);
        {
            LocalNotificationCenter first = desktop.center();
            first.add({u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s, u"reminder"_s, u"Call Maya"_s, true, due});
            first.add(request(u"withdrawn"_s, due));
        }
        desktop.center().removePending({u"withdrawn"_s});
        clock.set(restartAt);
        LocalNotificationCenter after = desktop.center();
        QCOMPARE(desktop.shown(), shownAtStart ? QStringList{u"reminder"_s} : QStringList());
        QCOMPARE(after.pending().size(), stillPending ? 1 : 0);
        after.flush();
        QCOMPARE(JsonStore<PendingNotification>(u"notifications.json"_s, desktop.folder.path()).load(),
                 after.pending());

        if (stillPending) {
            clock.set(due);
            after.deliverDue();
            QCOMPARE(desktop.shown(), QStringList{u"reminder"_s});
            QCOMPARE(desktop.server.received.at(1).body, u"Call Maya"_s); // after the first marker
        }
    }

    void timerDeliversOnItsOwn()
    {
        Desktop desktop;
        SystemClock clock;
        LocalNotificationCenter center(clock, desktop.client, desktop.folder.path());
        center.add(request(u"far"_s, clock.now().addYears(300)));
        center.add(request(u"near"_s, clock.now().addMSecs(1200)));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.server.received.size(), 1, 5000);
        QCOMPARE(desktop.server.received.first().summary, u"near"_s);
        QCOMPARE(center.pending().size(), 1);
    }

    void quickRepostsWaitForTheFirstAnswer_data()
    {
        QTest::addColumn<bool>("serverAnswers");
        QTest::newRow("answered late") << true;
        QTest::newRow("never answered (hung server)") << false;
    }

    void quickRepostsWaitForTheFirstAnswer()
    {
        QFETCH(bool, serverAnswers);
        // Long enough that the held answer comes first however busy the machine; the hung case
        // waits it out.
        Desktop desktop(kMarkupServer, 3s);
        TestNotificationServer &server = desktop.server;
        server.holdReplies(true);
        desktop.client.show(u"task"_s, u"one"_s, QString(), true);
        QTRY_COMPARE(server.received.size(), 1);
        desktop.client.show(u"task"_s, u"two"_s, QString(), true);
        desktop.client.show(u"task"_s, u"three"_s, QString(), true);
        desktop.client.show(u"other"_s, u"unrelated"_s, QString(), true);
        // The server runs on this thread: it only sees calls if show() never waits for an answer.
        QTRY_COMPARE(server.received.size(), 2);
        QCOMPARE(server.received[1].summary, u"unrelated"_s);

        server.holdReplies(false);
        if (serverAnswers)
            server.releaseHeldReplies();
        QTRY_COMPARE_WITH_TIMEOUT(server.received.size(), 3, 15000);
        QCOMPARE(server.received[2].summary, u"three"_s);
        QCOMPARE(server.received[2].replacesId, serverAnswers ? server.received[0].id : 0u);
    }

    // A daemon that changes hands, goes or comes: the new one is asked afresh whether it reads markup
    // and knows none of the old one's numbers; nothing is kept for one that is missing.
    void serverChangesHands()
    {
        Desktop desktop;
        desktop.client.show(u"task"_s, u"one"_s, u"a & b"_s, true);
        QTRY_COMPARE(desktop.server.received.size(), 1);

        // Plain text, and another application's notification under the number the old one gave ours.
        TestNotificationServer second({u"body"_s});
        QVERIFY(desktop.changeServer([&] {
            desktop.server.unregister();
            QVERIFY(second.registerOn(desktop.bus.connect()));
        }));
        second.Notify(u"Other app"_s, 0, QString(), u"theirs"_s, QString(), {}, {}, -1);
        desktop.client.show(u"task"_s, u"two"_s, u"a & b"_s, true);
        QTRY_COMPARE(second.received.size(), 2);
        QCOMPARE(second.received[1].replacesId, 0u);
        QCOMPARE(second.received[1].body, u"a & b"_s);

        QVERIFY(desktop.changeServer([&] { second.unregister(); }));
        ManualClock &clock = desktop.clock;
        LocalNotificationCenter center = desktop.center();
        center.add(request(u"lost"_s));
        center.add(request(u"soon"_s, kStart.addSecs(60)));
        clock.advance(60);
        center.deliverDue();
        QVERIFY(center.pending().isEmpty());
        QTest::qWait(300); // the bus answers at once that nobody has the name

        QVERIFY(desktop.changeServer([&] { QVERIFY(desktop.server.registerOn(desktop.bus.connect())); }));
        center.add(request(u"found"_s));
        QCOMPARE(desktop.shown(), (QStringList{u"one"_s, u"found"_s}));

        DBusNotificationClient nowhere(
            QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"nowhere"_s), 5s);
        LocalNotificationCenter unconnected(clock, nowhere, desktop.folder.filePath(u"other"_s));
        unconnected.add(request(u"x"_s));
        QDBusConnection::disconnectFromBus(u"nowhere"_s);
    }
};

DICTRAVA_TEST(NotificationCenterTest)
#include "NotificationCenterTest.moc"
