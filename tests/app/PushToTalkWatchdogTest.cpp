// A push-to-talk started by a binding ends by itself when its release never comes.
#include "app/PushToTalkWatchdog.h"
#include "TestRegistry.h"

#include <QTest>

class PushToTalkWatchdogTest : public QObject
{
    Q_OBJECT

private slots:
    void expiry_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("expiries");
        QTest::newRow("start without stop") << QStringList{u"arm"_qs} << 1;
        QTest::newRow("start and stop") << QStringList{u"arm"_qs, u"disarm"_qs} << 0;
        QTest::newRow("second start") << QStringList{u"arm"_qs, u"arm"_qs} << 1;
        QTest::newRow("stop without start") << QStringList{u"disarm"_qs} << 0;
    }

    void expiry()
    {
        QFETCH(QStringList, calls);
        QFETCH(int, expiries);
        PushToTalkWatchdog watchdog(std::chrono::milliseconds(20));
        int expired = 0;
        watchdog.onExpired = [&expired] { ++expired; };
        for (const QString &call : calls)
            call == u"arm"_qs ? watchdog.arm() : watchdog.disarm();
        if (expiries > 0)
            QTRY_COMPARE_WITH_TIMEOUT(expired, expiries, 5000);
        QTest::qWait(200); // long past the limit: no second expiry, and none after a stop
        QCOMPARE(expired, expiries);
    }
};

DICTRAVA_TEST(PushToTalkWatchdogTest)
#include "PushToTalkWatchdogTest.moc"
