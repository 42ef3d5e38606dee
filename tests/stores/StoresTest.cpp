// The stores on a private home: the JSON files (their form, damage, interrupted and failed
// saves), the data folder lock against a second writer, and the snippets.
#include "TestRegistry.h"
#include "stores/DataFolderLock.h"
#include "stores/HistoryStore.h"
#include "stores/JsonStore.h"
#include "stores/SnippetStore.h"
#include "stores/StoreNotices.h"
#include "support/IsolatedHome.h"
#include "support/TinyTmpfs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>
#include <thread>

using namespace std::chrono_literals;

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

class StoresTest : public QObject
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
        QCOMPARE(int(file.permissions() & 0x0FFF), 0x0600);
        QCOMPARE(QDir(home.dataFolder()).entryList(QDir::Files), QStringList{QStringLiteral("history.json")});
    }

    // A second writer on the same data folder waits for the first, or is told who holds it.
    void secondWriter_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("holderAnswers");
        QTest::addColumn<DataFolderLock::Outcome>("outcome");
        QTest::newRow("free") << u"none"_qs << false << DataFolderLock::Outcome::Acquired;
        QTest::newRow("holder answers") << u"kept"_qs << true << DataFolderLock::Outcome::HolderAnswers;
        QTest::newRow("holder silent") << u"kept"_qs << false << DataFolderLock::Outcome::HolderSilent;
        QTest::newRow("let go while waiting") << u"released"_qs << false << DataFolderLock::Outcome::Acquired;
        QTest::newRow("holder killed") << u"killed process"_qs << false << DataFolderLock::Outcome::Acquired;
    }

    void secondWriter()
    {
        QFETCH(QString, holder);
        QFETCH(bool, holderAnswers);
        QFETCH(DataFolderLock::Outcome, outcome);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"Dictrava"_qs);

        auto first = std::make_unique<DataFolderLock>(folder);
        std::thread releaser;
        QProcess other;
        if (holder == u"kept" || holder == u"released") {
            QVERIFY(first->tryLock());
        } else if (holder == u"killed process") {
            QVERIFY(first->tryLock()); // makes the lock file; the other process takes it over
            first.reset();
            other.start(u"flock"_qs, {u"--close"_qs, folder + u"/.lock"_qs, u"sleep"_qs, u"30"_qs});
            QVERIFY(other.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(!DataFolderLock(folder).tryLock(), 10000);
            other.kill();
            QVERIFY(other.waitForFinished());
        }
        if (holder == u"released")
            releaser = std::thread([&first] {
                std::this_thread::sleep_for(300ms);
                first.reset();
            });

        DataFolderLock second(folder);
        QCOMPARE(
            second.acquire([holderAnswers] { return holderAnswers; }, holder == u"released" ? 5000ms : 200ms),
            outcome);
        QCOMPARE(second.isHeld(), outcome == DataFolderLock::Outcome::Acquired);
        if (releaser.joinable())
            releaser.join();
    }

    // Of two cues that match alike, the first added wins.
    void everyChangeIsSavedAndSurvivesARestart()
    {
        IsolatedHome home;
        {
            SnippetStore snippets;
            QSignalSpy changed(&snippets, &SnippetStore::snippetsChanged);
            snippets.add(QStringLiteral("Sign off"), QStringLiteral("Best,\nAna"));
            snippets.add(QStringLiteral("sig"), QStringLiteral("Ana"));
            snippets.remove(snippets.snippets().last().id);
            QCOMPARE(changed.count(), 3);
        } // destruction writes what is still queued
        SnippetStore reloaded;
        QCOMPARE(reloaded.snippets().size(), 1);
        reloaded.add(QStringLiteral("sign off!"), QStringLiteral("second"));
        QCOMPARE(reloaded.match(QStringLiteral("sign off")),
                 std::optional<QString>(QStringLiteral("Best,\nAna")));
    }

    void snippetMatch_data()
    {
        QTest::addColumn<QString>("cue");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<bool>("matches");

        QTest::newRow("punctuation and case") << u"insert my address"_qs << u"Insert my address."_qs << true;
        QTest::newRow("double space in cue") << u"My  address"_qs << u"my address"_qs << false;
        QTest::newRow("cue with bang") << u"My address!"_qs << u"my address"_qs << true;
        QTest::newRow("hyphen deleted, not spaced") << u"e-mail sig"_qs << u"email sig"_qs << true;
        QTest::newRow("line break deleted") << u"my\naddress"_qs << u"myaddress"_qs << true;
        QTest::newRow("tab kept") << u"my\taddress"_qs << u"my\taddress"_qs << true;
        QTest::newRow("full Unicode lower-casing") << u"ÜBER ÉCLAIR"_qs << u"über éclair"_qs << true;
        QTest::newRow("other scripts are letters") << u"привет мир"_qs << u"Привет, мир!"_qs << true;
        QTest::newRow("cue inside longer text") << u"my address"_qs << u"send my address now"_qs << false;
        QTest::newRow("cue normalising to nothing") << u"!!!"_qs << u"!!!"_qs << false;
        QTest::newRow("lone surrogate dropped") << u"sig"_qs << u"sig"_qs + QChar(0xD800) << true;
    }

    void snippetMatch()
    {
        QFETCH(QString, cue);
        QFETCH(QString, spoken);
        QFETCH(bool, matches);
        IsolatedHome home;
        SnippetStore snippets;
        snippets.add(cue, QStringLiteral("CONTENT"));
        QCOMPARE(snippets.match(spoken), matches ? std::optional(QStringLiteral("CONTENT")) : std::nullopt);
    }
};

DICTRAVA_TEST(StoresTest)
#include "StoresTest.moc"
