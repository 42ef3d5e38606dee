#include "TestRegistry.h"
#include "support/IsolatedHome.h"
#include "support/LaunchedApp.h"
#include "support/RenderedSpeech.h"
#include "support/TinyTmpfs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList storedTaskTitles(const IsolatedHome &home)
{
    QFile file(home.dataFolder() + u"/tasks.json"_qs);
    QStringList titles;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QJsonValue &task : QJsonDocument::fromJson(file.readAll()).array())
            titles.append(task.toObject().value(u"title"_qs).toString());
    }
    return titles;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:

    void jsonPerMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<QString>("status");

        QTest::newRow("capture") << u"capture"_qs << u"call Sarah at 3 and then email Tom"_qs
                                 << u"Call Sarah at 3 and then email Tom"_qs << u"Captured 2 tasks"_qs;
        QTest::newRow("briefing") << u"briefing"_qs << u"call the bank"_qs << u"Call the bank"_qs
                                  << u"Briefing saved · 1 items"_qs;
        QTest::newRow("empty result") << u"capture"_qs << u"um uh"_qs << QString()
                                      << u"Hold Right Alt · Ctrl+Space for Command Deck"_qs;
    }

    void jsonPerMode()
    {
        QFETCH(QString, mode);
        QFETCH(QString, text);
        QFETCH(QString, expectedText);
        QFETCH(QString, status);

        IsolatedHome home;
        const CliRun run =
            runCli({mode, u"--text"_qs, text, u"--now"_qs, u"2026-12-06T21:30"_qs, u"--json"_qs});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.endsWith('\n'));
        const QJsonObject result = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(result.value(u"raw"_qs).toString(), text);
        QCOMPARE(result.value(u"text"_qs).toString(), expectedText);
        QCOMPARE(result.value(u"status"_qs).toString(), status);
        // The record made, present even when it is empty.
        QVERIFY2(result.contains(mode == u"capture"_qs ? u"tasks"_qs : mode), run.out.constData());
        if (mode == u"capture"_qs && !expectedText.isEmpty()) {
            const QJsonObject first = result.value(u"tasks"_qs).toArray().first().toObject();
            QCOMPARE(first.value(u"title"_qs).toString(), u"Call Sarah at 3"_qs);
            // No day word: today at 15:00 local time, in seconds since 2001.
            QCOMPARE(first.value(u"dueAt"_qs).toDouble(),
                     double(QDateTime(QDate(2026, 12, 6), QTime(15, 0)).toSecsSinceEpoch() - 978307200));
        }
        if (mode == u"briefing"_qs)
            QCOMPARE(result.value(u"briefing"_qs).toObject().value(u"dayKey"_qs).toString(),
                     u"2026-12-07"_qs);

        // The run left its data behind, written before the process ended.
        QFile history(home.dataFolder() + u"/history.json"_qs);
        QCOMPARE(history.open(QIODevice::ReadOnly), !expectedText.isEmpty());
        if (history.isOpen())
            QCOMPARE(QJsonDocument::fromJson(history.readAll()).array().size(), 1);
        // The settings hold the device id and the user's name: private, like the data.
        const QString settings = home.root() + u"/config/Dictrava"_qs;
        QCOMPARE(int(QFileInfo(settings).permissions() & 0x0FFF), 0x0700);
        QCOMPARE(int(QFileInfo(settings + u"/Dictrava.conf"_qs).permissions() & 0x0FFF), 0x0600);
    }

    void failures_data()
    {
        // "FILE" stands for a file in the test's folder holding `content`, missing when null.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("errorStart");
        const QStringList audio{u"dictate"_qs, u"--audio"_qs, u"FILE"_qs, u"--json"_qs};
        QTest::newRow("no mode") << QStringList{u"--text"_qs, u"hi"_qs} << QByteArray()
                                 << QByteArray("usage:");
        QTest::newRow("unknown mode")
            << QStringList{u"shout"_qs, u"--text"_qs, u"hi"_qs} << QByteArray() << QByteArray("usage:");
        QTest::newRow("no text") << QStringList{u"dictate"_qs} << QByteArray() << QByteArray("usage:");
        QTest::newRow("bad now") << QStringList{u"dictate"_qs, u"--text"_qs, u"hi"_qs, u"--now"_qs,
                                                u"tomorrow"_qs}
                                 << QByteArray() << QByteArray("dictrava-cli: --now");
        QTest::newRow("not audio") << audio << QByteArray("this is not a recording at all\n")
                                   << QByteArray("dictrava-cli: ");
        QTest::newRow("missing file") << audio << QByteArray() << QByteArray("dictrava-cli: ");
        QTest::newRow("text over 64 KiB")
            << QStringList{u"capture"_qs, u"--text"_qs, u"call Maya "_qs.repeated(6600)} << QByteArray()
            << QByteArray("dictrava-cli: the text is too long (66000 bytes; at most 65536)");
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, errorStart);
        IsolatedHome home;
        QTemporaryDir dir;
        QFile file(dir.filePath(u"input.wav"_qs));
        QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content) >= 0));
        file.close();
        const CliRun run = runCli(arguments.replaceInStrings(u"FILE"_qs, file.fileName()));
        QVERIFY(run.exitCode != 0);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith(errorStart), run.err.constData());
        QVERIFY(!QFile::exists(home.dataFolder() + u"/history.json"_qs));
    }

    // Two command lines capturing at once on one data folder: each waits for the other's save.
    void concurrentCapturesKeepEveryTask()
    {
        IsolatedHome home;
        constexpr int kRuns = 4;
        QList<std::shared_ptr<QProcess>> loops;
        for (const QString &who : {u"Maya"_qs, u"Tom"_qs}) {
            auto loop = std::make_shared<QProcess>();
            loop->start(
                u"sh"_qs,
                {u"-c"_qs,
                 u"for i in $(seq %1); do \"$0\" capture --text \"call %2 $i\" || exit 1; done"_qs.arg(kRuns)
                     .arg(who),
                 QStringLiteral(DICTRAVA_CLI)});
            loops.append(loop);
        }
        for (const auto &loop : loops) {
            QVERIFY(loop->waitForFinished(120000));
            QCOMPARE(loop->exitCode(), 0);
        }
        QCOMPARE(storedTaskTitles(home).size(), 2 * kRuns);
    }

    // Killed at any moment: every file still reads, no run that said "Captured" lost its task,
    // and the next run leaves no temporary file behind.
    void killedRunsLoseNothingAcknowledged()
    {
        IsolatedHome home;
        QSet<QString> acknowledged;
        QRandomGenerator random(7);
        for (int run = 0; run < 40; ++run) {
            QProcess cli;
            cli.start(QStringLiteral(DICTRAVA_CLI),
                      {u"capture"_qs, u"--text"_qs, u"call person %1"_qs.arg(run)});
            QVERIFY(cli.waitForStarted());
            if (!cli.waitForFinished(int(random.bounded(20, 200))))
                cli.kill();
            QVERIFY(cli.state() == QProcess::NotRunning || cli.waitForFinished(10000));
            if (cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0 &&
                cli.readAllStandardOutput().contains("Captured 1 task"))
                acknowledged.insert(u"Call person %1"_qs.arg(run));
        }
        QCOMPARE(runCli({u"capture"_qs, u"--text"_qs, u"call the last one"_qs}).exitCode, 0);
        const QStringList titles = storedTaskTitles(home);
        for (const QString &title : acknowledged)
            QVERIFY2(titles.contains(title), qPrintable(title));
        QVERIFY(QDir(home.dataFolder()).entryList({u"*.tmp-*"_qs}, QDir::Files | QDir::Hidden).isEmpty());
        for (const QString &name : QDir(home.dataFolder()).entryList({u"*.json"_qs}, QDir::Files)) {
            QFile file(home.dataFolder() + u'/' + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(QJsonDocument::fromJson(file.readAll()).isArray(), qPrintable(name));
        }
    }

    // A disk without room: no "Captured", an error and a failing exit code; once there is room
    // again, the next capture is kept.
    void fullDisk()
    {
        IsolatedHome home;
        TinyTmpfs disk(home.dataFolder(), 64 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.whyNot()));
        QVERIFY(disk.fill());
        const CliRun failed = runCli({u"capture"_qs, u"--text"_qs, u"call Maya"_qs});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(!failed.out.contains("Captured"));
        QVERIFY2(failed.err.contains("dictrava-cli: Could not save your tasks: disk full\n"),
                 failed.err.constData());

        disk.freeSpace();
        QCOMPARE(runCli({u"capture"_qs, u"--text"_qs, u"call Tom"_qs}).exitCode, 0);
        QCOMPARE(storedTaskTitles(home), QStringList{u"Call Tom"_qs});
    }

    // A recording made by sox from the spoken sentence ("speech", "out" standing for it and the
    // file made), read as a file or as a stream that can be read only once, as it comes
    // (sox -d -t wav - | dictrava-cli …).
    void audioInput_data()
    {
        QTest::addColumn<QStringList>("recipe");
        QTest::addColumn<QString>("via");
        const QStringList generated{u"-n"_qs, u"-r"_qs, u"16000"_qs, u"-c"_qs, u"1"_qs, u"out"_qs};
        const QStringList speech{u"speech"_qs, u"out"_qs};
        QTest::newRow("speech 16 kHz") << speech << u"file"_qs;
        QTest::newRow("pure silence") << generated + QStringList{u"trim"_qs, u"0"_qs, u"3"_qs} << u"file"_qs;
        QTest::newRow("noise") << generated + QStringList{u"synth"_qs, u"3"_qs, u"whitenoise"_qs, u"vol"_qs,
                                                          u"0.3"_qs}
                               << u"file"_qs;
        QTest::newRow("standard input") << speech << u"-"_qs;
        QTest::newRow("/dev/stdin") << speech << u"/dev/stdin"_qs;
        QTest::newRow("named pipe") << speech << u"FIFO"_qs;
    }

    void audioInput()
    {
        QFETCH(QStringList, recipe);
        QFETCH(QString, via);
        IsolatedHome home;
        QTemporaryDir dir;
        const QString sentence = u"remember to water the plants"_qs;
        const QString source = dir.filePath(u"source.wav"_qs);
        QVERIFY(renderSpeechFile(u"slt"_qs, sentence, source));
        const QString path = dir.filePath(u"input.wav"_qs);
        recipe.replaceInStrings(QRegularExpression(u"^speech$"_qs), source);
        recipe.replaceInStrings(QRegularExpression(u"^out$"_qs), path);
        QCOMPARE(QProcess::execute(u"sox"_qs, recipe), 0);

        QProcess writer; // gives up when the command never opens the pipe
        QByteArray input;
        if (via == u"FIFO"_qs) {
            via = dir.filePath(u"fifo"_qs);
            QCOMPARE(QProcess::execute(u"mkfifo"_qs, {via}), 0);
            writer.start(u"timeout"_qs, {u"30"_qs, u"sh"_qs, u"-c"_qs, u"cat \"$0\" > \"$1\""_qs, path, via});
        } else if (via == u"file"_qs) {
            via = path;
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            input = file.readAll();
        }
        const CliRun run = runCli({u"dictate"_qs, u"--audio"_qs, via, u"--json"_qs}, {}, input);
        writer.waitForFinished();
        QCOMPARE(run.exitCode, 0);
        const QJsonObject result = run.json();
        QVERIFY2(result.contains(u"latencyMs"_qs), run.out.constData());
        QVERIFY2(result.value(u"complete"_qs).toBool(), run.out.constData());
        if (recipe.contains(source))
            QVERIFY2(wordOverlap(sentence, result.value(u"raw"_qs).toString()) >= 0.6, run.out.constData());
        if (recipe.contains(u"trim"_qs))
            QCOMPARE(result.value(u"status"_qs).toString(),
                     u"Hold Right Alt · Ctrl+Space for Command Deck"_qs);
    }

    // Three voices, one of them twice: one segment per line, in order, at its offset in the file
    // (2 s of silence around each line), attributed per voice, the woman known by her name.
    void meetingJson()
    {
        QTemporaryDir dir;
        const QString meeting = dir.filePath(u"meeting.wav"_qs);
        const QStringList sarah{u"--setf"_qs, u"int_f0_target_mean=230"_qs};
        QVERIFY(renderConversation(
            {{u"slt"_qs, sarah, u"Good morning everyone, my name is Sarah."_qs},
             {u"rms"_qs, {}, u"Let us look at the budget for next quarter."_qs},
             {u"awb"_qs, {}, u"The numbers from last month are looking very good."_qs},
             {u"slt"_qs, sarah, u"I will send the final report to the team by Friday."_qs}},
            dir.path(), 16000, meeting));
        const CliRun run = runCli({u"meeting"_qs, u"--audio"_qs, meeting, u"--json"_qs});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject result = run.json();
        // In the order they were said, however the recogniser's texts come in.
        QList<QJsonObject> segments;
        for (const QJsonValue &value : result.value(u"segments"_qs).toArray())
            segments.append(value.toObject());
        QCOMPARE(segments.size(), 4);
        const auto start = [](const QJsonObject &segment) { return segment.value(u"start"_qs).toDouble(); };
        QList<int> voices;
        double lastEnd = 0;
        for (const QJsonObject &segment : segments) {
            QVERIFY2(start(segment) - lastEnd > 1.5 && start(segment) < segment.value(u"end"_qs).toDouble(),
                     run.out.constData());
            lastEnd = segment.value(u"end"_qs).toDouble();
            voices << segment.value(u"speakerIndex"_qs).toInt();
        }
        QVERIFY2(start(segments[0]) < 2.5, run.out.constData());
        QVERIFY2(voices[0] == voices[3] && QSet<int>(voices.begin(), voices.end()).size() == 3,
                 run.out.constData());
        QCOMPARE(result.value(u"speakers"_qs).toArray().size(), 3);
        for (const int i : {0, 3})
            QCOMPARE(segments[i].value(u"speakerLabel"_qs).toString(), u"Sarah"_qs);
        const QString markdown = result.value(u"markdown"_qs).toString();
        QVERIFY2(markdown.contains(u"## Action items"_qs) &&
                     markdown.contains(segments[2].value(u"text"_qs).toString()),
                 qPrintable(markdown));
    }
};

DICTRAVA_TEST(CliTest)
#include "CliTest.moc"
