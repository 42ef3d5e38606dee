#include "stores/DataFolderLock.h"
#include "TestRegistry.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace std::chrono_literals;

class DataFolderLockTest : public QObject
{
    Q_OBJECT

private slots:
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
};

DICTRAVA_TEST(DataFolderLockTest)
#include "DataFolderLockTest.moc"
