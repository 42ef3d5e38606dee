#include "app/DesktopPermissions.h"
#include "TestRegistry.h"
#include "support/PrivatePulseServer.h"

#include <QTest>

#include <atomic>

class DesktopPermissionsTest : public QObject
{
    Q_OBJECT

private slots:
    void microphoneFollowsTheSoundServer()
    {
        std::atomic<int> answer = -1;
        DesktopPermissions noServer(u"unix:/nonexistent/pulse/native"_qs);
        noServer.requestMicrophone([&](bool granted) { answer = granted; });
        QTRY_VERIFY_WITH_TIMEOUT(answer != -1, 5000);
        QCOMPARE(answer.load(), 0);

        PrivatePulseServer pulse;
        QVERIFY2(pulse.isRunning(), qPrintable(pulse.errorString()));
        answer = -1;
        DesktopPermissions withServer(pulse.serverAddress());
        withServer.requestMicrophone([&](bool granted) { answer = granted; });
        QTRY_VERIFY_WITH_TIMEOUT(answer != -1, 5000);
        QCOMPARE(answer.load(), 1);
        QVERIFY(!withServer.isAccessibilityTrusted(false)); // nothing can type for us here
    }

    void speechFollowsTheInstalledModel()
    {
        // The test machine has the US English model installed.
        bool authorized = false;
        DesktopPermissions().requestSpeech([&](bool answer) { authorized = answer; });
        QVERIFY(authorized);
    }
};

DICTRAVA_TEST(DesktopPermissionsTest)
#include "DesktopPermissionsTest.moc"
