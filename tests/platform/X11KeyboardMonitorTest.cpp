// Global hotkeys on a real X server: a private Xvfb, keys sent with xdotool (XTest), seen through
// XInput2 raw events by the monitor and turned into callbacks by the hotkey manager.
#include "platform/X11KeyboardMonitor.h"
#include "dictation/HotkeyManager.h"

#include <QProcess>
#include <QTest>

class X11KeyboardMonitorTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_xvfb.start(u"Xvfb"_qs, {u"-displayfd"_qs, u"1"_qs, u"-screen"_qs, u"0"_qs, u"1280x800x24"_qs,
                                  u"-nolisten"_qs, u"tcp"_qs});
        QVERIFY(m_xvfb.waitForReadyRead(10000));
        m_display = ':' + m_xvfb.readLine().trimmed();
    }

    void cleanupTestCase()
    {
        m_xvfb.terminate();
        m_xvfb.waitForFinished(3000);
    }

    void gesturesFromAnyApplication()
    {
        X11KeyboardMonitor monitor(m_display);
        HotkeyManager hotkeys(&monitor, nullptr);
        QStringList seen;
        hotkeys.onHoldStart = [&] { seen << u"start"_qs; };
        hotkeys.onHoldEnd = [&] { seen << u"end"_qs; };
        hotkeys.onDeckToggle = [&] { seen << u"deck"_qs; };
        hotkeys.start();

        // Right Alt held with Shift tapped in between, left Alt, then the deck chords.
        xdotool({u"keydown"_qs, u"Alt_R"_qs, u"key"_qs, u"shift"_qs, u"keyup"_qs, u"Alt_R"_qs});
        xdotool({u"key"_qs, u"Alt_L"_qs, u"key"_qs, u"ctrl+space"_qs, u"key"_qs, u"ctrl+super+space"_qs,
                 u"key"_qs, u"ctrl+shift+space"_qs});
        QTRY_COMPARE_WITH_TIMEOUT(seen.join(u' '), u"start end deck deck"_qs, 5000);
    }

    void noDisplayIsRefused()
    {
        X11KeyboardMonitor monitor(":9999");
        QVERIFY(!monitor.install([](const KeyEvent &) { return false; }));
    }

private:
    void xdotool(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DISPLAY"_qs, QString::fromLatin1(m_display));
        process.setProcessEnvironment(environment);
        process.start(u"xdotool"_qs, arguments);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
    }

    QProcess m_xvfb;
    QByteArray m_display;
};

QTEST_GUILESS_MAIN(X11KeyboardMonitorTest)
#include "X11KeyboardMonitorTest.moc"
