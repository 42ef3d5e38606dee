#include "TestRegistry.h"
#include "core/Json.h"
#include "planning/DayBriefing.h"
#include "planning/FocusSession.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QUuid kFirst = QUuid::fromString(u"7C9E6679-7425-40DE-944B-E07FC1F90AE7"_s);
const QUuid kSecond = QUuid::fromString(u"16FD2706-8BAF-433B-82EB-8C7FADA847DA"_s);

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

QByteArray recode(const QByteArray &kind, const QByteArray &stored)
{
    const QByteArray file = '[' + stored + ']';
    if (kind == "session") {
        const auto sessions = Json::decodeList<FocusSession>(file);
        return sessions ? Json::encodeList(*sessions) : QByteArray("unreadable");
    }
    const auto briefings = Json::decodeList<DayBriefing>(file);
    return briefings ? Json::encodeList(*briefings) : QByteArray("unreadable");
}

bool decodes(const QByteArray &kind, const QJsonValue &value)
{
    return kind == "session" ? FocusSession::fromJson(value).has_value()
                             : DayBriefing::fromJson(value).has_value();
}

} // namespace

class PlanningRecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("session, every field") << "session"_ba << kFullSession << kFullSession;
        QTest::newRow("session, no optionals") << "session"_ba << kBareSession << kBareSession;
        QTest::newRow("session, any order, lower case, nulls, extra keys")
            << "session"_ba
            << R"({"dayKey":"2025-12-01","lastNudgeAt":null,"extra":1,"startedAt":0,"milestones":[],)"
               R"("activeMilestoneID":null,"northStar":""})"_ba
            << kBareSession;
        QTest::newRow("session, lower-case id")
            << "session"_ba
            << QByteArray(kFullSession)
                   .replace("16FD2706-8BAF-433B-82EB-8C7FADA847DA", "16fd2706-8baf-433b-82eb-8c7fada847da")
            << kFullSession;
        QTest::newRow("briefing, every field") << "briefing"_ba << kFullBriefing << kFullBriefing;
        const QByteArray noItems =
            R"({"dayKey":"2025-12-03","items":[],"rawTranscript":"","createdAt":0.001,"morningShown":false,"middayShown":true})";
        QTest::newRow("briefing, no items") << "briefing"_ba << noItems << noItems;
    }

    void roundTrip()
    {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, written);
        QCOMPARE(recode(kind, stored), '[' + written + ']');
    }

    void fieldsLandWhereTheyBelong()
    {
        const FocusSession expectedSession{
            u"Launch the site / app"_s,
            {{kFirst, u"Write the copy"_s, true}, {kSecond, u"Deploy – “now”"_s, false}},
            kSecond,
            Timestamp{786297600.123456},
            u"2025-12-01"_s,
            Timestamp{786298800.25},
            Timestamp{786299000}};
        const auto session = FocusSession::fromJson(QJsonDocument::fromJson(kFullSession).object());
        QCOMPARE(session, expectedSession);

        const DayBriefing expectedBriefing{
            u"2025-12-02"_s,
            {{kFirst, u"Call Maya"_s, {u"Maya"_s, u"Sam"_s}, Timestamp{786355200}, false, true},
             {kSecond, u"Send the deck"_s, {}, std::nullopt, true, false}},
            u"call Maya\nsend the deck"_s,
            Timestamp{786297600.5},
            true,
            false};
        const auto briefing = DayBriefing::fromJson(QJsonDocument::fromJson(kFullBriefing).object());
        QCOMPARE(briefing, expectedBriefing);
    }

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
        row("date as text", "session",
            QByteArray(kBareSession).replace(":0,", R"(:"2026-01-01T00:00:00Z",)"));
        row("active id not a UUID", "session",
            QByteArray(kFullSession).replace(R"(ID":"16FD2706)", R"(ID":"16FD27)"));
        row("milestone without isDone", "session", without(kFullSession, R"("isDone":true)"));
        row("briefing without middayShown", "briefing", without(kFullBriefing, R"("middayShown":false)"));
        row("item not an object", "briefing",
            QByteArray(kFullBriefing).replace(R"("items":[)", R"("items":[1,)"));
        row("person as number", "briefing", QByteArray(kFullBriefing).replace(R"("Sam")", "1"));
        row("dueAt as text", "briefing", QByteArray(kFullBriefing).replace("786355200", R"("9:00")"));
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
        QTest::newRow("all done") << u"11"_s << -1 << -1 << 1.0;
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
