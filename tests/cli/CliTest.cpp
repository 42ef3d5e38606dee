#include "support/IsolatedHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(DICTRAVA_CLI), arguments);
    Run run;
    if (!process.waitForFinished(30000))
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void jsonPerMode_data();
    void jsonPerMode();
    void badArgumentsFail_data();
    void badArgumentsFail();
};

void CliTest::jsonPerMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("recordKey");
    QTest::addColumn<int>("historyEntries");

    QTest::newRow("dictate") << u"dictate"_qs << u"um hello  world"_qs << u"Hello world."_qs
                             << u"Inserted — Hold Right Alt to dictate"_qs << QString() << 1;
    QTest::newRow("capture") << u"capture"_qs << u"call Sarah at 3 and then email Tom"_qs
                             << u"Call Sarah at 3 and then email Tom"_qs << u"Captured 2 tasks"_qs
                             << u"tasks"_qs << 1;
    QTest::newRow("focus") << u"focus"_qs << u"goal: launch the site"_qs << u"Goal: launch the site"_qs
                           << u"Focus: Launch the site"_qs << u"session"_qs << 1;
    QTest::newRow("briefing") << u"briefing"_qs << u"call the bank"_qs << u"Call the bank"_qs
                              << u"Briefing saved · 1 items"_qs << u"briefing"_qs << 1;
    QTest::newRow("empty result") << u"capture"_qs << u"um uh"_qs << QString()
                                  << u"Hold Right Alt · Ctrl+Space for Command Deck"_qs << u"tasks"_qs << 0;
}

void CliTest::jsonPerMode()
{
    QFETCH(QString, mode);
    QFETCH(QString, text);
    QFETCH(QString, expectedText);
    QFETCH(QString, status);
    QFETCH(QString, recordKey);
    QFETCH(int, historyEntries);

    IsolatedHome home;
    const Run run = runCli({mode, u"--text"_qs, text, u"--now"_qs, u"2026-12-06T21:30"_qs, u"--json"_qs});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith('\n'));
    const QJsonObject result = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(result.value(u"raw"_qs).toString(), text);
    QCOMPARE(result.value(u"text"_qs).toString(), expectedText);
    QCOMPARE(result.value(u"status"_qs).toString(), status);
    if (!recordKey.isEmpty())
        QVERIFY2(result.contains(recordKey), run.out.constData());
    if (mode == u"capture"_qs && historyEntries > 0) {
        const QJsonObject first = result.value(u"tasks"_qs).toArray().first().toObject();
        QCOMPARE(first.value(u"title"_qs).toString(), u"Call Sarah at 3"_qs);
        // No day word: today at 15:00 local time, in seconds since 2001.
        QCOMPARE(first.value(u"dueAt"_qs).toDouble(),
                 double(QDateTime(QDate(2026, 12, 6), QTime(15, 0)).toSecsSinceEpoch() - 978307200));
    }
    if (mode == u"briefing"_qs)
        QCOMPARE(result.value(u"briefing"_qs).toObject().value(u"dayKey"_qs).toString(), u"2026-12-07"_qs);

    // The run left its data behind, written before the process ended.
    QFile history(home.dataFolder() + u"/history.json"_qs);
    if (historyEntries == 0) {
        QVERIFY(!history.exists());
    } else {
        QVERIFY(history.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(history.readAll()).array().size(), historyEntries);
    }
}

void CliTest::badArgumentsFail_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no mode") << QStringList{u"--text"_qs, u"hi"_qs};
    QTest::newRow("unknown mode") << QStringList{u"shout"_qs, u"--text"_qs, u"hi"_qs};
    QTest::newRow("no text") << QStringList{u"dictate"_qs};
    QTest::newRow("bad now") << QStringList{u"dictate"_qs, u"--text"_qs, u"hi"_qs, u"--now"_qs,
                                            u"tomorrow"_qs};
}

void CliTest::badArgumentsFail()
{
    QFETCH(QStringList, arguments);
    IsolatedHome home;
    const Run run = runCli(arguments);
    QVERIFY(run.exitCode != 0);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
    QVERIFY(!QFile::exists(home.dataFolder() + u"/history.json"_qs));
}

QTEST_GUILESS_MAIN(CliTest)
#include "CliTest.moc"
