#include "TestRegistry.h"
#include "core/Json.h"
#include "planning/DayBriefing.h"
#include "planning/DictraTask.h"
#include "planning/FocusSession.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kFullSession =
    R"({"northStar":"Launch the site \/ app","milestones":[{"id":"7C9E6679-7425-40DE-944B-E07FC1F90AE7",)"
    R"("title":"Write the copy","isDone":true},{"id":"16FD2706-8BAF-433B-82EB-8C7FADA847DA","title":)"
    R"("Deploy – “now”","isDone":false}],"activeMilestoneID":"16FD2706-8BAF-433B-82EB-8C7FADA847DA",)"
    R"("startedAt":786297600.123456,"dayKey":"2025-12-01","consciousSwitchAt":786298800.25,"lastNudgeAt":786299000})";
const QByteArray kBareSession = R"({"northStar":"","milestones":[],"startedAt":0,"dayKey":"2025-12-01"})";
const QByteArray kFullBriefing =
    R"({"dayKey":"2025-12-02","items":[{"id":"7C9E6679-7425-40DE-944B-E07FC1F90AE7","title":"Call Maya",)"
    R"("people":["Maya","Sam"],"dueAt":786355200,"isDone":false,"isTouched":true},{"id":)"
    R"("16FD2706-8BAF-433B-82EB-8C7FADA847DA","title":"Send the deck","people":[],"isDone":true,)"
    R"("isTouched":false}],"rawTranscript":"call Maya\nsend the deck","createdAt":786297600.5,)"
    R"("morningShown":true,"middayShown":false})";

const QByteArray kTask =
    R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","title":"Email the report to Tom",)"
    R"("notes":"","people":["Tom"],"dueAt":786700000.5,"isDone":false,"createdAt":786600000,)"
    R"("sourceTranscript":"Then email the report to Tom."})";
// The apostrophe stays out of raw strings, which moc reads as opening a character literal.
const QByteArray kFullTask = R"({"id":"00000000-0000-0000-0000-00000000000A","title":"Ring Zoë 1\/2 été",)"
                             R"("notes":"line\nbreak","people":["Zoë",)"
                             "\"O'brien\""
                             R"(],"dueAt":-0.001,"remindAt":786690000.25,)"
                             R"("isDone":true,"createdAt":786600000.123456,"sourceTranscript":""})";
const QByteArray kShuffledTask =
    R"({"sourceTranscript":"Then email the report to Tom.","createdAt":786600000,"isDone":false,)"
    R"("remindAt":null,"dueAt":786700000.5,"people":["Tom"],"notes":"","extra":1,)"
    R"("title":"Email the report to Tom","id":"6f9619ff-8b86-d011-b42d-00c04fc964ff"})";

template<typename Record>
QByteArray recodeAs(const QByteArray &file)
{
    const auto records = Json::decodeList<Record>(file);
    return records ? Json::encodeList(*records) : QByteArray("unreadable");
}

QByteArray recode(const QByteArray &kind, const QByteArray &stored)
{
    const QByteArray file = '[' + stored + ']';
    if (kind == "session")
        return recodeAs<FocusSession>(file);
    return kind == "task" ? recodeAs<DictraTask>(file) : recodeAs<DayBriefing>(file);
}

bool decodes(const QByteArray &kind, const QJsonValue &value)
{
    if (kind == "task")
        return DictraTask::fromJson(value).has_value();
    return kind == "session" ? FocusSession::fromJson(value).has_value()
                             : DayBriefing::fromJson(value).has_value();
}

} // namespace

class PlanningRecordsTest : public QObject
{
    Q_OBJECT

private slots:
    // The full records give every field a value of its own: one read or written under another's
    // key changes the bytes written back.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("session, every field") << "session"_ba << kFullSession << kFullSession;
        QTest::newRow("session, any order, nulls, extra keys")
            << "session"_ba
            << R"({"dayKey":"2025-12-01","lastNudgeAt":null,"extra":1,"startedAt":0,"milestones":[],)"
               R"("activeMilestoneID":null,"northStar":""})"_ba
            << kBareSession;
        QTest::newRow("briefing, every field") << "briefing"_ba << kFullBriefing << kFullBriefing;
        QTest::newRow("task, both dates, escapes, done") << "task"_ba << kFullTask << kFullTask;
        QTest::newRow("task, lower-case id, any order, nulls, extra keys")
            << "task"_ba << kShuffledTask << kTask;
    }

    void roundTrip()
    {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, written);
        QCOMPARE(recode(kind, stored), '[' + written + ']');
    }

    // Each record's required fields and nested parts; a date's type and an id's form are checked
    // by the reader every record shares (StoresTest's damaged history).
    void rejected_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("stored");

        const auto row = [](const char *name, const char *kind, const QByteArray &stored) {
            QTest::newRow(name) << QByteArray(kind) << stored;
        };
        const auto without = [](QByteArray bytes, const char *field) {
            return bytes.replace(field, "\"unused\":0");
        };
        row("not an object", "session", "[]");
        row("session without northStar", "session", without(kBareSession, R"("northStar":"")"));
        row("active id not a UUID", "session",
            QByteArray(kFullSession).replace(R"(ID":"16FD2706)", R"(ID":"16FD27)"));
        row("milestone without isDone", "session", without(kFullSession, R"("isDone":true)"));
        row("briefing without middayShown", "briefing", without(kFullBriefing, R"("middayShown":false)"));
        row("item not an object", "briefing",
            QByteArray(kFullBriefing).replace(R"("items":[)", R"("items":[1,)"));
        row("person as number", "briefing", QByteArray(kFullBriefing).replace(R"("Sam")", "1"));
        row("task without createdAt", "task", without(kTask, R"("createdAt":786600000)"));
        row("task with null title", "task",
            QByteArray(kTask).replace(R"("Email the report to Tom")", "null"));
    }

    void rejected()
    {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, stored);
        // The bytes must be valid JSON, so only the record's own checks can turn them down.
        const QJsonDocument document = QJsonDocument::fromJson('[' + stored + ']');
        QVERIFY(document.isArray());
        QVERIFY(!decodes(kind, document.array().at(0)));
    }

    void derivedValues_data()
    {
        QTest::addColumn<QString>("doneFlags");  // one milestone per flag, "1" = done
        QTest::addColumn<int>("activeIndex");    // -1 = no id, 9 = an id no milestone has
        QTest::addColumn<int>("expectedActive"); // -1 = none
        QTest::addColumn<double>("progress");

        QTest::newRow("no milestones") << u""_s << -1 << -1 << 0.0;
        QTest::newRow("first open") << u"000"_s << -1 << 0 << 0.0;
        QTest::newRow("skips done ones") << u"101"_s << -1 << 1 << 2.0 / 3.0;
        QTest::newRow("id wins, even when done") << u"0100"_s << 1 << 1 << 0.25;
        QTest::newRow("unknown id") << u"00"_s << 9 << -1 << 0.0;
    }

    void derivedValues()
    {
        QFETCH(QString, doneFlags);
        QFETCH(int, activeIndex);
        QFETCH(int, expectedActive);

        FocusSession session;
        for (const QChar flag : doneFlags)
            session.milestones.append({QUuid::createUuid(), u"step"_s, flag == u'1'});
        if (activeIndex >= 0)
            session.activeMilestoneID = activeIndex < session.milestones.size()
                                            ? session.milestones[activeIndex].id
                                            : QUuid::createUuid();
        const std::optional<FocusMilestone> active = session.activeMilestone();
        QCOMPARE(active.has_value(), expectedActive >= 0);
        if (active)
            QCOMPARE(active->id, session.milestones[expectedActive].id);
        QTEST(session.progress(), "progress");
    }
};

DICTRAVA_TEST(PlanningRecordsTest)
#include "PlanningRecordsTest.moc"
