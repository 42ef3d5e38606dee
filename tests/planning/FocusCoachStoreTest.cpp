#include "planning/FocusCoachStore.h"
#include "TestRegistry.h"
#include "planning/FocusHud.h"
#include "support/IsolatedHome.h"
#include "support/RecordingNotificationCenter.h"

#include <QFile>
#include <QTest>

#include <limits>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime kNine(QDate(2025, 6, 11), QTime(9, 0));
const QString kSteps = u"Goal: ship it. Write the copy; deploy it"_s;

struct Desk final : FocusHud
{
    IsolatedHome home;
    ManualClock clock{kNine};
    RecordingNotificationCenter notes;
    QStringList hudCalls;
    std::unique_ptr<FocusCoachStore> coach;

    Desk() { restart(); }
    FocusCoachStore &restart()
    {
        coach.reset();
        coach = std::make_unique<FocusCoachStore>(clock, notes, home.dataFolder());
        coach->setHud(this);
        return *coach;
    }
    void show() override { hudCalls.append(u"show"_s); }
    void hide() override { hudCalls.append(u"hide"_s); }

    QByteArray file()
    {
        coach->flush();
        QFile file(home.dataFolder() + u"/focus-session.json"_s);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList posted() const
    {
        QStringList titles;
        for (const NotificationRequest &request : notes.added)
            titles.append(request.title + u'|' + request.body);
        return titles;
    }
};

} // namespace

class FocusCoachStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void setFromSpeech_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("firstMilestone");
        QTest::addColumn<int>("count");
        QTest::newRow("blank") << u" "_s << u"Clarify scope for: "_s << 3;
        QTest::newRow("goal with steps") << kSteps << u"Write the copy"_s << 2;
    }
    void setFromSpeech()
    {
        QFETCH(QString, text);
        Desk desk;
        const FocusSession session = desk.coach->setFromSpeech(text);
        QTEST(int(session.milestones.size()), "count");
        QTEST(session.milestones.first().title, "firstMilestone");
        QCOMPARE(session.activeMilestoneID, session.milestones.first().id);
        QCOMPARE(session.dayKey, u"2025-06-11"_s);
        QVERIFY(desk.coach->hudVisible());
        QCOMPARE(desk.hudCalls, QStringList{u"show"_s});
        QCOMPARE(desk.posted(), QStringList{u"Focus locked|"_s + session.northStar});
        QVERIFY(desk.notes.added.first().identifier.startsWith(u"focus-"_s) &&
                !desk.notes.added.first().fireAt);
        QCOMPARE(desk.restart().session(), session);
    }

    void nudges_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<bool>("switchFirst");
        QTest::addColumn<QList<int>>("minutes"); // of each activity after the start
        QTest::addColumn<int>("nudges");
        QTest::newRow("every 8 minutes") << kNine << false << QList<int>{0, 8, 15, 16} << 3;
        QTest::newRow("switch: quiet for 20") << kNine << true << QList<int>{0, 19, 20, 27, 28} << 2;
        QTest::newRow("clock set back") << kNine << false << QList<int>{30, 0, 5} << 1;
        QTest::newRow("year 250000") << QDateTime(QDate(250000, 1, 1), QTime(0, 0)) << false
                                     << QList<int>{0, 2, 10} << 2;
        QTest::newRow("far past") << QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::min() / 2)
                                  << true << QList<int>{0, 20} << 1;
    }
    void nudges()
    {
        QFETCH(QDateTime, start);
        QFETCH(bool, switchFirst);
        QFETCH(QList<int>, minutes);
        QFETCH(int, nudges);
        Desk desk;
        desk.clock.set(start);
        desk.coach->setFromSpeech(kSteps);
        if (switchFirst)
            desk.coach->allowSwitch();
        desk.notes = {};
        desk.hudCalls.clear();
        for (int minute : minutes) {
            desk.clock.set(start.addSecs(minute * 60));
            desk.coach->noteActivity(u"dictate"_s);
        }
        const QString drift = u"You left “Write the copy” unfinished — finish it, or consciously switch."_s;
        QCOMPARE(desk.posted(), QStringList(nudges, u"Focus Coach|"_s + drift));
        QCOMPARE(desk.coach->driftMessage(), drift);
        QCOMPARE(desk.hudCalls, QStringList(nudges, u"show"_s));
        desk.restart().noteActivity(u"capture"_s); // the stamp is kept: no second nudge on relaunch
        QCOMPARE(desk.notes.added.size(), nudges);
    }

    void tickingMilestones()
    {
        Desk desk;
        FocusCoachStore &coach = *desk.coach;
        const FocusSession session = coach.setFromSpeech(kSteps);
        const QUuid copy = session.milestones[0].id, deploy = session.milestones[1].id;
        coach.noteActivity(u"dictate"_s);
        coach.toggleMilestone(deploy);
        QCOMPARE(coach.activeMilestone()->id, copy);
        QCOMPARE(coach.driftMessage(), std::nullopt);
        coach.toggleMilestone(copy);
        QCOMPARE(coach.activeMilestone(), std::nullopt);
        QCOMPARE(coach.progress(), 1.0);
        QCOMPARE(desk.posted().last(), u"North Star complete|You finished: Ship it"_s);
        coach.noteActivity(u"dictate"_s); // nothing open: no nudge
        coach.toggleMilestone(deploy);    // unticked: active again, ahead of nothing
        coach.toggleMilestone(QUuid::createUuid());
        QCOMPARE(desk.notes.added.size(), 3);
        QCOMPARE(desk.restart().activeMilestone()->id, deploy);
    }

    void restoreOnlyToday_data()
    {
        QTest::addColumn<int>("relaunchAfterMinutes");
        QTest::addColumn<bool>("restored");
        QTest::newRow("same day, 23:59") << 899 << true;
        QTest::newRow("after midnight") << 900 << false;
        QTest::newRow("clock set back a day") << -1440 << false;
    }
    void restoreOnlyToday()
    {
        QFETCH(int, relaunchAfterMinutes);
        QFETCH(bool, restored);
        Desk desk;
        const FocusSession session = desk.coach->setFromSpeech(u"Ship the beta"_s);
        desk.clock.advance(relaunchAfterMinutes * 60);
        QCOMPARE(desk.restart().session().has_value(), restored);
        QCOMPARE(desk.coach->hudVisible(), restored);
        QCOMPARE(desk.file(), restored ? '[' + session.toJson() + ']' : QByteArray("[]"));

        desk.coach->clear();
        QVERIFY(!desk.coach->session() && !desk.coach->hudVisible());
        QCOMPARE(desk.file(), QByteArray("[]"));
        desk.coach->allowSwitch();
        desk.coach->noteActivity(u"dictate"_s);
        QCOMPARE(desk.coach->session(), std::nullopt);
    }
};

DICTRAVA_TEST(FocusCoachStoreTest)
#include "FocusCoachStoreTest.moc"
