// What the task and focus parsers make of a transcript.
#include "TestRegistry.h"
#include "core/Clock.h"
#include "core/Text.h"
#include "planning/FocusParser.h"
#include "planning/TaskParser.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kMorning = u"2025-06-11 04:00"_s; // a Wednesday, before any 3.5-hour reminder of the day

QList<DictraTask> parseAt(const QString &now, double lead, const QString &transcript)
{
    const ManualClock clock(QDateTime::fromString(now, u"yyyy-MM-dd HH:mm"_s));
    return TaskParser().parse(transcript, lead, clock);
}

QString dayAndTime(const std::optional<Timestamp> &moment)
{
    return moment ? moment->toDateTime().toString(u"dd HH:mm"_s) : u"-"_s;
}

// "Title|people|due day and time|reminder day and time", one line per task.
QStringList describe(const QList<DictraTask> &tasks)
{
    QStringList lines;
    for (const DictraTask &task : tasks)
        lines.append(task.title + u'|' + task.people.join(u',') + u'|' + dayAndTime(task.dueAt) + u'|' +
                     dayAndTime(task.remindAt));
    return lines;
}

void row(const char *name, const QString &transcript, const QStringList &expected,
         const QString &now = kMorning, double lead = 3.5)
{
    QTest::newRow(name) << now << lead << transcript << expected;
}

QStringList titles(const QList<FocusMilestone> &milestones)
{
    QStringList result;
    for (const FocusMilestone &milestone : milestones)
        result.append(milestone.title);
    return result;
}

} // namespace

class ParsersTest : public QObject
{
    Q_OBJECT

private slots:
    void tasks_data()
    {
        QTest::addColumn<QString>("now");
        QTest::addColumn<double>("lead");
        QTest::addColumn<QString>("transcript");
        QTest::addColumn<QStringList>("expected");

        row("worked example",
            u"Okay so tomorrow I need to call Sarah at 3 and then email the report to Tom."_s,
            {u"Call Sarah at 3||12 15:00|12 11:30"_s, u"Email the report to Tom|Tom|12 09:00|12 05:30"_s});
        row("reminder ahead", u"Buy milk"_s, {u"Buy milk||11 09:00|11 05:30"_s});
        row("reminder exactly now", u"Buy milk"_s, {u"Buy milk||11 09:00|11 09:00"_s}, u"2025-06-11 05:30"_s);
        row("due passed", u"Buy milk"_s, {u"Buy milk||11 09:00|11 09:00"_s}, u"2025-06-11 10:00"_s);
        row("tonight carries", u"Call mom tonight then buy milk"_s,
            {u"Call mom||11 19:00|11 15:30"_s, u"Buy milk||11 19:00|11 15:30"_s});
        row("day after tomorrow", u"Dentist the day after tomorrow at 10am"_s,
            {u"Dentist at 10am||13 10:00|13 06:30"_s});
        row("without the", u"Dentist day after tomorrow"_s, {u"Dentist day after||13 09:00|13 05:30"_s});
        row("later day word", u"Tomorrow call Ann. Today email Bob; pay rent"_s,
            {u"Call Ann||12 09:00|12 05:30"_s, u"Email Bob||11 09:00|11 05:30"_s,
             u"Pay rent||11 09:00|11 05:30"_s});
        row("two people at noon", u"Lunch with sarah and tom at 12:30"_s,
            {u"Lunch with sarah and tom at 12:30|Sarah,Tom|11 12:30|11 09:00"_s});
        row("three people, each once", u"Meet with ann and BOB and Cy, then gift for Ann"_s,
            {u"Meet with ann and BOB and Cy|Ann,BOB,Cy|11 09:00|11 05:30"_s,
             u"Gift for Ann|Ann|11 09:00|11 05:30"_s});
        row("stop word", u"Talk to the landlord"_s, {u"Talk to the landlord||11 09:00|11 05:30"_s});
        row("any word after to", u"Remember to buy milk"_s, {u"Buy milk|Buy|11 09:00|11 05:30"_s});
        row("meta phrases", u"So I should pay Ann for that person tmrw"_s, {u"Pay Ann||12 09:00|12 05:30"_s});
        row("next cuts", u"Call mom next week"_s,
            {u"Call mom||11 09:00|11 05:30"_s, u"Week||11 09:00|11 05:30"_s});
        row("Next does not", u"Next week call mom"_s, {u"Call mom||18 09:00|18 05:30"_s});
        row("separators",
            u"Pay rent plus water plants! Call Bob? Ask Ann, also feed cat and I have to pack after that nap"_s,
            {u"Pay rent||11 09:00|11 05:30"_s, u"Water plants||11 09:00|11 05:30"_s,
             u"Call Bob? Ask Ann||11 09:00|11 05:30"_s, u"Feed cat||11 09:00|11 05:30"_s,
             u"Pack||11 09:00|11 05:30"_s, u"Nap||11 09:00|11 05:30"_s});
        row("full stop in a time", u"Meet Sam at 3.30"_s, {u"Meet Sam at 3||11 15:00|11 11:30"_s});
        row("fallback", u"Ok."_s, {u"Ok||12 09:00|12 05:30"_s});
        row("fallback reminder in the past", u"Ok"_s, {u"Ok||12 09:00|10 09:00"_s}, kMorning, 48);
        row("fallback of bare punctuation", u"..."_s, {u"...||12 09:00|12 05:30"_s});

        const QString times[][2] = {
            {u"at 5:30pm"_s, u"17:30"_s}, {u"at 12am"_s, u"00:00"_s},  {u"at 0"_s, u"12:00"_s},
            {u"at 7"_s, u"19:00"_s},      {u"at 8"_s, u"08:00"_s},     {u"at 12pm"_s, u"12:00"_s},
            {u"AT 3 PM"_s, u"15:00"_s},   {u"at 25:75"_s, u"23:59"_s}, {u"at ٣"_s, u"15:00"_s}};
        for (const auto &[spoken, clock] : times)
            QTest::addRow("%s", qPrintable(spoken))
                << kMorning << 0.0 << (u"Tomorrow call Ann "_s + spoken)
                << QStringList{u"Call Ann "_s + spoken + u"||12 "_s + clock + u"|12 "_s + clock};

        row("lead in whole minutes", u"Buy milk"_s, {u"Buy milk||11 09:00|11 07:01"_s}, kMorning, 1.999);
        row("negative lead", u"Buy milk"_s, {u"Buy milk||11 09:00|11 11:00"_s}, kMorning, -2);
        for (double lead :
             {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300})
            QTest::addRow("lead %g", lead)
                << kMorning << lead << u"Buy milk"_s << QStringList{u"Buy milk||11 09:00|11 05:30"_s};
        row("lead beyond any date", u"Buy milk"_s, {u"Buy milk||11 09:00|-"_s}, kMorning, -1e17);
        row("fallback lead beyond any date", u"Ok"_s, {u"Ok||12 09:00|-"_s}, kMorning, 1e17);

        // Europe/Berlin: clocks go forward at 02:00 on 2025-03-30 and back at 03:00 on 2025-10-26.
        row("spring gap", u"Tomorrow at 2:30am call Ann"_s, {u"At 2:30am call Ann||30 03:30|29 23:00"_s},
            u"2025-03-29 12:00"_s);
        row("lead over the change", u"Tomorrow buy milk"_s, {u"Buy milk||30 09:00|30 00:00"_s},
            u"2025-03-29 12:00"_s, 8);
        row("next week over the change", u"Next week buy milk"_s, {u"Buy milk||27 09:00|27 05:30"_s},
            u"2025-10-20 23:30"_s);
    }

    void tasks()
    {
        QFETCH(QString, now);
        QFETCH(double, lead);
        QFETCH(QString, transcript);
        QTEST(describe(parseAt(now, lead, transcript)), "expected");
    }

    void fillsTheRecord()
    {
        QVERIFY(parseAt(kMorning, 3.5, QString()).isEmpty());
        QVERIFY(parseAt(kMorning, 3.5, u" \t\n\u00a0\u2003 "_s).isEmpty());
        const QString transcript = u"  Call Ann then email Bob \n"_s;
        const QList<DictraTask> tasks = parseAt(kMorning, 3.5, transcript);
        QCOMPARE(tasks.size(), 2);
        QVERIFY(!tasks[0].id.isNull() && tasks[0].id != tasks[1].id);
        for (const DictraTask &task : tasks) {
            QCOMPARE(task.sourceTranscript, transcript);
            QCOMPARE(task.createdAt.toDateTime().toString(u"yyyy-MM-dd HH:mm"_s), kMorning);
            QVERIFY(task.notes.isEmpty() && !task.isDone);
        }
    }

    void hostileTaskInput_data()
    {
        QTest::addColumn<QString>("transcript");
        QTest::newRow("markers") << u"|| || ||||"_s;
        QTest::newRow("lone surrogates") << u"Call \xd800 Ann at \xdc00 then \xdbff with \xdfff"_s;
        QTest::newRow("control characters") << u"\u0001\u0000call\u0007 Ann\u001b at 3\u0085 then"_s;
        QTest::newRow("megabyte of plans")
            << u"Tomorrow I need to call Sarah with Tom at 3:30pm then pay rent. "_s.repeated(15'000);
        QTest::newRow("megabyte unbroken") << QString(1'000'000, u'x');
    }

    void hostileTaskInput()
    {
        QFETCH(QString, transcript);
        const QList<DictraTask> tasks = parseAt(kMorning, 3.5, transcript);
        QVERIFY(!tasks.isEmpty());
        for (const DictraTask &task : tasks)
            QVERIFY(!task.title.isEmpty() && task.dueAt && task.remindAt);
    }

    void focus_data()
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

    void focus()
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

    void hostileFocusInput_data()
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

    void hostileFocusInput()
    {
        QFETCH(QString, text);
        const FocusParser::Result result = FocusParser::parse(text);
        QVERIFY(result.milestones.size() <= 6);
        for (const FocusMilestone &milestone : result.milestones)
            QVERIFY(Text::characterCount(milestone.title) >= 4);
    }
};

DICTRAVA_TEST(ParsersTest)
#include "ParsersTest.moc"
