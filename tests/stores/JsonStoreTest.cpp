#include "stores/JsonStore.h"
#include "TestRegistry.h"
#include "stores/HistoryStore.h"
#include "stores/StoreNotices.h"
#include "support/IsolatedHome.h"
#include "support/TinyTmpfs.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <mutex>

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

// Every store notice while it lives, whatever thread reports it.
class NoticeLog
{
public:
    NoticeLog()
    {
        StoreNotices::setListener([this](const StoreNotice &notice) {
            std::lock_guard lock(m_mutex);
            m_messages.append(notice.message);
        });
    }
    ~NoticeLog() { StoreNotices::setListener({}); }
    QStringList messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_messages;
};

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tmp-*")}, QDir::Files | QDir::Hidden);
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

    // A file that is not a list is moved aside; a list with damaged records gives the others and
    // a copy of the file is kept. Either way the user is told once, at load.
    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("readable"); // -1: not a list at all
        QTest::addColumn<QString>("damage");
        const QByteArray good = "{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"a\",\"date\":1}";
        const QByteArray id = "\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\"";
        const QString whole = u"Could not read your history"_qs;

        QTest::newRow("empty file") << QByteArray() << -1 << whole;
        QTest::newRow("top level object") << QByteArray("{\"entries\":[]}") << -1 << whole;
        QTest::newRow("truncated") << "[" + good.left(30) << -1 << whole;
        QTest::newRow("invalid UTF-8") << "[{" + id + ",\"text\":\"\xff\xfe\",\"date\":1}" << -1 << whole;
        QTest::newRow("nested 100000 deep")
            << QByteArray(100000, '[') + QByteArray(100000, ']') << -1 << whole;
        const QString one = u"Could not read 1 record of your history"_qs;
        QTest::newRow("one element lacks a key") << "[" + good + ",{" + id + ",\"text\":\"b\"}]" << 1 << one;
        QTest::newRow("required key is null")
            << "[{" + id + ",\"text\":null,\"date\":1}," + good + "]" << 1 << one;
        QTest::newRow("date as ISO text")
            << "[{" + id + ",\"text\":\"a\",\"date\":\"2024-01-01\"}]" << 0 << one;
        QTest::newRow("two bad of four")
            << "[" + good +
                   ",{\"id\":\"{0F8FAD5B-D9CB-469F-A165-70867728950E}\",\"text\":\"a\",\"date\":1}," + good +
                   ",[]]"
            << 2 << u"Could not read 2 records of your history"_qs;
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, readable);
        QFETCH(QString, damage);
        IsolatedHome home;
        const QString path = home.dataFolder() + QStringLiteral("/history.json");
        writeAll(path, contents);
        NoticeLog notices;
        ManualClock clock;
        HistoryStore history(clock);
        QCOMPARE(history.entries().size(), std::max(readable, 0));

        const QStringList copies = unreadableCopies(home.dataFolder());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readAll(home.dataFolder() + QLatin1Char('/') + copies[0]), contents);
        QCOMPARE(QFileInfo::exists(path), readable >= 0); // a list stays until the next save
        QCOMPARE(notices.messages(), QStringList{damage + u"; kept the file as "_qs + copies[0]});

        history.add(u"new"_qs); // the next save keeps what could be read, and only that
        history.flush();
        QCOMPARE(JsonStore<HistoryEntry>(u"history.json"_qs).load().size(), std::max(readable, 0) + 1);
    }

    // Saves are written in the background: of quick saves the last wins, and flushAll writes
    // what every store still has queued.
    void pendingSaves()
    {
        IsolatedHome home;
        JsonStore<HistoryEntry> quick(QStringLiteral("quick.json"));
        JsonStore<HistoryEntry> big(QStringLiteral("big.json"));
        JsonStore<HistoryEntry> empty(QStringLiteral("empty.json"));
        const QUuid id = QUuid::createUuid();
        for (int round = 0; round < 50; ++round) {
            quick.save({HistoryEntry{id, QStringLiteral("first"), Timestamp{1}}});
            quick.save({HistoryEntry{id, QString::number(round), Timestamp{2}}});
        }
        big.save(QList<HistoryEntry>(2000, HistoryEntry{id, QString(200, QLatin1Char('x')), Timestamp{}}));
        empty.save({});
        JsonStoreBase::flushAll();
        const QList<HistoryEntry> entries = JsonStore<HistoryEntry>(QStringLiteral("quick.json")).load();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].text, QStringLiteral("49"));
        QCOMPARE(JsonStore<HistoryEntry>(QStringLiteral("big.json")).load().size(), 2000);
        QCOMPARE(readAll(empty.filePath()), QByteArray("[]"));
    }

    // What saves killed before their rename left behind: removed once the file is known good;
    // when there is no file, a complete one holds the only copy and becomes the file.
    void leftoversOfInterruptedSaves_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: missing
        QTest::addColumn<QList<QByteArray>>("leftovers");
        QTest::addColumn<QStringList>("loaded");
        const QByteArray a = "[{\"id\":\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"text\":\"a\",\"date\":1}]";
        const QByteArray b = "[{\"id\":\"7C9E6679-7425-40DE-944B-E07FC1F90AE7\",\"text\":\"b\",\"date\":2}]";
        QTest::newRow("good file") << a << QList<QByteArray>{b, b.left(20)} << QStringList{u"a"_qs};
        QTest::newRow("no file, complete leftover")
            << QByteArray() << QList<QByteArray>{b} << QStringList{u"b"_qs};
        QTest::newRow("no file, torn leftover")
            << QByteArray() << QList<QByteArray>{b.left(20)} << QStringList();
    }

    void leftoversOfInterruptedSaves()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<QByteArray>, leftovers);
        QFETCH(QStringList, loaded);
        IsolatedHome home;
        const QString path = home.dataFolder() + u"/history.json"_qs;
        if (!file.isNull())
            writeAll(path, file);
        for (qsizetype i = 0; i < leftovers.size(); ++i)
            writeAll(path + u".tmp-abc00"_qs + QString::number(i), leftovers[i]);

        QStringList texts;
        for (const HistoryEntry &entry : JsonStore<HistoryEntry>(u"history.json"_qs).load())
            texts.append(entry.text);
        QCOMPARE(texts, loaded);
        QVERIFY(::leftovers(home.dataFolder()).isEmpty());
        QCOMPARE(JsonStore<HistoryEntry>(u"history.json"_qs).load().size(), loaded.size()); // kept on disk
    }

    // A full disk: the failure is reported and the data stays in memory; once there is space
    // again, the next flush writes it.
    void fullDisk()
    {
        IsolatedHome home;
        TinyTmpfs disk(home.dataFolder(), 64 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.whyNot()));
        NoticeLog notices;
        JsonStore<HistoryEntry> store(u"history.json"_qs, home.dataFolder());
        const QList<HistoryEntry> small{{QUuid::createUuid(), u"small"_qs, Timestamp{1}}};
        store.save(small);
        QVERIFY(store.flush());
        QVERIFY(disk.fill());

        const QList<HistoryEntry> big(200,
                                      HistoryEntry{QUuid::createUuid(), QString(100, u'x'), Timestamp{2}});
        store.save(big);
        QVERIFY(!store.flush());
        QCOMPARE(JsonStoreBase::flushAll(), QStringList{u"Could not save your history: disk full"_qs});
        QVERIFY(notices.messages().contains(u"Could not save your history: disk full"_qs));
        QVERIFY(store.load() == small); // the last complete save
        QVERIFY(::leftovers(home.dataFolder()).isEmpty());

        disk.freeSpace();
        QVERIFY(store.flush());
        QVERIFY(store.load() == big);
        QCOMPARE(notices.messages().last(), u"Saved your history"_qs);
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

    void largeValidFileLoads()
    {
        IsolatedHome home;
        // About 5 MB of history, newest first: far beyond what the app writes, still a valid file.
        QList<HistoryEntry> entries;
        for (int i = 0; i < 11000; ++i)
            entries.append(
                {QUuid::createUuid(), QString::number(i).leftJustified(400), Timestamp{786700000.25}});
        writeAll(home.dataFolder() + QStringLiteral("/history.json"), Json::encodeList(entries));
        QVERIFY(QFileInfo(home.dataFolder() + QStringLiteral("/history.json")).size() > 5'000'000);
        ManualClock clock;
        HistoryStore history(clock);
        QCOMPARE(history.entries().size(), 11000);
        // The next entry keeps the newest 500 only.
        history.add(QStringLiteral("newest"));
        QCOMPARE(history.entries().size(), 500);
        QCOMPARE(history.entries().first().text, QStringLiteral("newest"));
        QCOMPARE(history.entries().last().text.trimmed(), QStringLiteral("498"));
    }
};

DICTRAVA_TEST(JsonStoreTest)
#include "JsonStoreTest.moc"
