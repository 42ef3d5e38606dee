#include "planning/FocusParser.h"
#include "TestRegistry.h"
#include "core/Text.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList titles(const QList<FocusMilestone> &milestones)
{
    QStringList result;
    for (const FocusMilestone &milestone : milestones)
        result.append(milestone.title);
    return result;
}

} // namespace

class FocusParserTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("northStar");
        QTest::addColumn<QStringList>("milestones");

        const auto row = [](const char *name, const char *text, const char *northStar,
                            QStringList milestones) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(northStar) << milestones;
        };
        using L = QStringList;
        row("blank", " \n\t ", "", {});
        row("cue mid-sentence", "My north star is shipping the beta.", "Is shipping the beta", {});
        row("cue with steps", "Goal: launch the site. Then write the copy; then deploy", "Launch the site",
            L{u"Write the copy"_s, u"Deploy"_s});
        row("full stops only", "Ship the beta. Write the tests. Polish the docs", "Ship the beta",
            L{u"Write the tests"_s, u"Polish the docs"_s});
        row("commas only", "Ship the beta, write the tests", "Ship the beta, write the tests", {});
        row("tidy", "  um ship the beta  ", "Ship the beta", {});
        row("and then as a whole",
            "Goal: ship it. first write the copy; then design the hero and then deploy it", "Ship it",
            L{u"Write the copy"_s, u"Design the hero"_s, u"Deploy it"_s});
        row("comma stays in piece", "Goal: ship it. first write the copy, then test", "Ship it",
            L{u"Write the copy,"_s, u"Test"_s});
        row("short pieces dropped", "Goal: ship it. ok; fix; test it", "Ship it", L{u"Test it"_s});
        row("fillers in pieces", "Goal: ship it. so write tests; hey deploy it", "Ship it",
            L{u"Write tests"_s, u"Deploy it"_s});
        row("step words", "Goal: ship it. Step one draft; next review; after that publish", "Ship it",
            L{u"One draft"_s, u"Review"_s, u"Publish"_s});
        row("step words are whole words", "Goal: ship it. Update the stepper; then test", "Ship it",
            L{u"Update the stepper"_s, u"Test"_s});
        row("seven after cue", "North star: launch. aaaa; bbbb; cccc; dddd; eeee; ffff; gggg", "Launch",
            L{u"Aaaa"_s, u"Bbbb"_s, u"Cccc"_s, u"Dddd"_s, u"Eeee"_s, u"Ffff"_s});
        row("seven without cue", "aaaa; bbbb; cccc; dddd; eeee; ffff; gggg", "Aaaa",
            L{u"Bbbb"_s, u"Cccc"_s, u"Dddd"_s, u"Eeee"_s, u"Ffff"_s});
        row("cue in capitals, hyphen", "NORTH STAR - ship", "Ship", {});
        row("goal number one", "Goal number one: ship", "Ship", {});
        row("today's goal", "today's goal: write the report", "Write the report", {});
        row("full Unicode capital", "goal: \u00dfpiel", "SSpiel", {});
        // Cue words only count as whole words, and a decimal point does not end a statement.
        row("finished is no cue", "I finished the slides, now ship the beta",
            "I finished the slides, now ship the beta", {});
        row("goals is no cue", "My goals: ship the beta", "My goals: ship the beta", {});
        row("decimal in north star", "Goal: cut load time to 1.5 seconds. Then profile it",
            "Cut load time to 1.5 seconds", L{u"Profile it"_s});
        row("decimal in piece", "Ship v2.0 today; write the notes", "Ship v2.0 today",
            L{u"Write the notes"_s});
        row("sentence ending in a digit", "Ship release 2. Write the notes", "Ship release 2",
            L{u"Write the notes"_s});
    }

    void parse()
    {
        QFETCH(QString, text);
        const FocusParser::Result result = FocusParser::parse(text);
        QTEST(result.northStar, "northStar");
        QTEST(titles(result.milestones), "milestones");
        for (const FocusMilestone &milestone : result.milestones)
            QVERIFY(!milestone.id.isNull() && !milestone.isDone);
    }

    void defaultMilestones_data()
    {
        QTest::addColumn<QString>("northStar");
        QTest::addColumn<QString>("scope");

        const QString forty = QStringLiteral("0123456789").repeated(4);
        const QString accent = QStringLiteral("e\u0301");            // one character, two UTF-16 units
        const QString family = QStringLiteral("👨‍👩‍👧"); // one character, eight UTF-16 units
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("42 used whole") << forty + u"ab"_s << forty + u"ab"_s;
        QTest::newRow("43 shortened") << forty + u"abc"_s << forty + u"\u2026"_s;
        QTest::newRow("42 characters, 84 units") << accent.repeated(42) << accent.repeated(42);
        QTest::newRow("cut between characters") << family.repeated(43) << family.repeated(40) + u"\u2026"_s;
    }

    void defaultMilestones()
    {
        QFETCH(QString, northStar);
        QFETCH(QString, scope);
        QCOMPARE(titles(FocusParser::defaultMilestones(northStar)),
                 QStringList({u"Clarify scope for: "_s + scope, u"Execute the core work"_s,
                              u"Ship / send / review"_s}));
    }

    void badInputStaysBounded_data()
    {
        QTest::addColumn<QString>("text");

        const qsizetype megabyte = 1 << 20;
        QTest::newRow("1 MB of words") << u"write the tests "_s.repeated(megabyte / 16);
        QTest::newRow("1 MB after a cue") << u"Goal: "_s + u"ship it; "_s.repeated(megabyte / 9);
        QTest::newRow("cue, blanks and line breaks") << u"goal"_s + QString(megabyte, u' ') + u"\nx\ny"_s;
        QTest::newRow("only full stops") << QString(megabyte, u'.');
        QTest::newRow("only step words") << u"and then next "_s.repeated(megabyte / 14);
        QTest::newRow("marker typed in") << u"||"_s.repeated(megabyte / 2);
        QTest::newRow("lone surrogates")
            << u"Goal: ship "_s + QString(10, QChar(0xD800)) + u". \xDC00 test it"_s;
        QTest::newRow("control characters") << u"\x01\x02 goal:\x1b ship\x7f; \x00 test it"_s;
    }

    void badInputStaysBounded()
    {
        QFETCH(QString, text);
        const FocusParser::Result result = FocusParser::parse(text);
        QVERIFY(result.milestones.size() <= 6);
        for (const FocusMilestone &milestone : result.milestones)
            QVERIFY(Text::characterCount(milestone.title) >= 4);
    }
};

DICTRAVA_TEST(FocusParserTest)
#include "FocusParserTest.moc"
