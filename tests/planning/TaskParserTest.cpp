#include "planning/TaskParser.h"
#include "TestRegistry.h"
#include "core/Clock.h"

#include <QTest>

#include <limits>

using namespace Qt::Literals::StringLiterals;

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

} // namespace

class TaskParserTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
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

    void parse()
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

    void hostileInput_data()
    {
        QTest::addColumn<QString>("transcript");
        QTest::newRow("markers") << u"|| || ||||"_s;
        QTest::newRow("lone surrogates") << u"Call \xd800 Ann at \xdc00 then \xdbff with \xdfff"_s;
        QTest::newRow("control characters") << u"\u0001\u0000call\u0007 Ann\u001b at 3\u0085 then"_s;
        QTest::newRow("megabyte of plans")
            << u"Tomorrow I need to call Sarah with Tom at 3:30pm then pay rent. "_s.repeated(15'000);
        QTest::newRow("megabyte unbroken") << QString(1'000'000, u'x');
    }

    void hostileInput()
    {
        QFETCH(QString, transcript);
        const QList<DictraTask> tasks = parseAt(kMorning, 3.5, transcript);
        QVERIFY(!tasks.isEmpty());
        for (const DictraTask &task : tasks)
            QVERIFY(!task.title.isEmpty() && task.dueAt && task.remindAt);
    }
};

DICTRAVA_TEST(TaskParserTest)
#include "TaskParserTest.moc"
