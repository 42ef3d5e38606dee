#include "stores/JsonStore.h"
#include "stores/HistoryStore.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList unreadableCopies(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files);
}

} // namespace

class JsonStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void storedFormRoundTripsByteForByte()
    {
        IsolatedHome home;
        // Upper-case ids, fractional and whole dates, an escaped slash, a control character and
        // non-ASCII text, exactly as the files are written.
        const QByteArray stored =
            "[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"Meet at 3\\/4 past \\u00e9 "
            "\\\"now\\\"\\n\\u0001"
            "\",\"date\":786700000.123456},{\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AE7\",\"text\":\"Grüße "
            "👋\","
            "\"date\":786600000}]";
        writeAll(home.dataFolder() + QStringLiteral("/history.json"), stored);

        JsonStore<HistoryEntry> store(QStringLiteral("history.json"));
        const QList<HistoryEntry> entries = store.load();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].text, QStringLiteral("Meet at 3/4 past é \"now\"\n\u0001"));
        QCOMPARE(entries[0].date.secondsSinceReference, 786700000.123456);
        QCOMPARE(entries[1].date.toDateTime(), QDateTime(QDate(2025, 12, 5), QTime(4, 0), Qt::UTC));

        store.save(entries);
        store.flush();
        QByteArray expected = stored;
        expected.replace("\\u00e9", "é"); // non-ASCII is written as UTF-8, not escaped
        QCOMPARE(readAll(store.filePath()), expected);

        // Keys it does not know are read past and not written back; ids are written upper-case.
        writeAll(store.filePath(), "[{\"date\":1.5,\"extra\":{\"x\":[1,2]},\"text\":\"hi\",\"id\":\"0f8fad5b-"
                                   "d9cb-469f-a165-70867728950e\"}]");
        store.save(store.load());
        store.flush();
        QCOMPARE(
            readAll(store.filePath()),
            QByteArray("[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"hi\",\"date\":1.5}]"));
    }

    void badFilesLoadAsEmpty_data()
    {
        QTest::addColumn<QByteArray>("contents");
        const QByteArray good = "{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"a\",\"date\":1}";
        QByteArray random(4096, Qt::Uninitialized);
        QRandomGenerator generator(42);
        for (char &byte : random)
            byte = static_cast<char>(generator.bounded(256));

        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("random bytes") << random;
        QTest::newRow("top level object") << QByteArray("{\"entries\":[]}");
        QTest::newRow("null") << QByteArray("null");
        QTest::newRow("truncated") << "[" + good.left(30);
        QTest::newRow("one element lacks a key")
            << "[" + good + ",{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"b\"}]";
        QTest::newRow("required key is null")
            << QByteArray("[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":null,\"date\":1}]");
        QTest::newRow("date as ISO text") << QByteArray(
            "[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"a\",\"date\":\"2024-01-01\"}]");
        QTest::newRow("uuid with braces")
            << QByteArray("[{\"id\":\"{0F8FAD5B-D9CB-469F-A165-70867728950E}\",\"text\":\"a\",\"date\":1}]");
        QTest::newRow("element not an object") << "[" + good + ",42]";
        QTest::newRow("invalid UTF-8") << QByteArray(
            "[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"\xff\xfe\",\"date\":1}");
        QTest::newRow("nested 100000 deep") << QByteArray(100000, '[') + QByteArray(100000, ']');
    }

    void badFilesLoadAsEmpty()
    {
        QFETCH(QByteArray, contents);
        IsolatedHome home;
        writeAll(home.dataFolder() + QStringLiteral("/history.json"), contents);
        JsonStore<HistoryEntry> store(QStringLiteral("history.json"));
        QVERIFY(store.load().isEmpty());
        QCOMPARE(readAll(store.filePath()), contents); // loading never touches the file
    }

    void unreadableFileIsKeptBesideTheNewOne()
    {
        IsolatedHome home;
        const QByteArray garbage = "[{\"id\":\"not a uuid\"}]";
        writeAll(home.dataFolder() + QStringLiteral("/history.json"), garbage);
        ManualClock clock(QDateTime(QDate(2026, 12, 6), QTime(10, 15)));

        HistoryStore history(clock);
        QVERIFY(history.entries().isEmpty());
        QVERIFY(unreadableCopies(home.dataFolder()).isEmpty()); // nothing moves until the first change

        history.add(QStringLiteral("first"));
        history.add(QStringLiteral("second"));
        history.flush();

        const QStringList copies = unreadableCopies(home.dataFolder());
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies[0].startsWith(QStringLiteral("history.json.unreadable-")));
        QCOMPARE(readAll(home.dataFolder() + QLatin1Char('/') + copies[0]), garbage);
        const QByteArray rewritten = readAll(home.dataFolder() + QStringLiteral("/history.json"));
        QVERIFY(rewritten.startsWith("[{\"id\":"));
        QVERIFY(rewritten.contains("\"text\":\"second\""));
        QVERIFY(rewritten.contains("\"text\":\"first\""));
    }

    void lastOfTwoQuickSavesWins()
    {
        IsolatedHome home;
        JsonStore<HistoryEntry> store(QStringLiteral("history.json"));
        const QUuid id = QUuid::createUuid();
        for (int round = 0; round < 50; ++round) {
            store.save({HistoryEntry{id, QStringLiteral("first"), Timestamp{1}}});
            store.save({HistoryEntry{id, QString::number(round), Timestamp{2}}});
        }
        store.flush();
        JsonStore<HistoryEntry> reread(QStringLiteral("history.json"));
        const QList<HistoryEntry> entries = reread.load();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].text, QStringLiteral("49"));
    }

    void firstLaunchCreatesPrivateFolderAndFiles()
    {
        IsolatedHome home;
        QVERIFY(!QFileInfo::exists(home.dataFolder()));
        ManualClock clock;
        HistoryStore history(clock);
        QVERIFY(QFileInfo(home.dataFolder()).isDir());
        // Group and others get nothing (the low bits hold this user's, group's and others' rights).
        QCOMPARE(int(QFileInfo(home.dataFolder()).permissions() & 0x0FFF), 0x0700);
        QVERIFY(!QFileInfo::exists(home.dataFolder() + QStringLiteral("/history.json")));

        history.add(QStringLiteral("hello"));
        history.flush();
        const QFileInfo file(home.dataFolder() + QStringLiteral("/history.json"));
        QVERIFY(file.exists());
        QCOMPARE(int(file.permissions() & 0x0FFF), 0x0600);
        QCOMPARE(QDir(home.dataFolder()).entryList(QDir::Files), QStringList{QStringLiteral("history.json")});
    }

    void flushAllWritesPendingSaves()
    {
        IsolatedHome home;
        JsonStore<HistoryEntry> a(QStringLiteral("a.json"));
        JsonStore<HistoryEntry> b(QStringLiteral("b.json"));
        const QList<HistoryEntry> big(
            2000, HistoryEntry{QUuid::createUuid(), QString(200, QLatin1Char('x')), Timestamp{}});
        a.save(big);
        b.save({});
        JsonStoreBase::flushAll();
        QCOMPARE(readAll(b.filePath()), QByteArray("[]"));
        QCOMPARE(JsonStore<HistoryEntry>(QStringLiteral("a.json")).load().size(), 2000);
    }

    void largeValidFileLoads()
    {
        IsolatedHome home;
        // About 50 MB of history, newest first: far beyond what the app writes, still a valid file.
        QList<HistoryEntry> entries;
        for (int i = 0; i < 110000; ++i)
            entries.append(
                {QUuid::createUuid(), QString::number(i).leftJustified(400), Timestamp{786700000.25}});
        writeAll(home.dataFolder() + QStringLiteral("/history.json"), Json::encodeList(entries));
        QVERIFY(QFileInfo(home.dataFolder() + QStringLiteral("/history.json")).size() > 50'000'000);
        ManualClock clock;
        HistoryStore history(clock);
        QCOMPARE(history.entries().size(), 110000);
        // The next entry keeps the newest 500 only.
        history.add(QStringLiteral("newest"));
        QCOMPARE(history.entries().size(), 500);
        QCOMPARE(history.entries().first().text, QStringLiteral("newest"));
        QCOMPARE(history.entries().last().text.trimmed(), QStringLiteral("498"));
    }
};

QTEST_GUILESS_MAIN(JsonStoreTest)
#include "JsonStoreTest.moc"
