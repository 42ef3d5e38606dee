// Global hotkeys on a real X server: a private Xvfb, keys sent with xdotool (XTest), seen through
// XInput2 raw events by the monitor and turned into callbacks by the hotkey manager.
#include "platform/X11KeyboardMonitor.h"
#include "TestRegistry.h"
#include "dictation/HotkeyManager.h"
#include "support/PrivateXServer.h"

#include <QTest>

class X11KeyboardMonitorTest : public QObject
{
    Q_OBJECT

private slots:
    void gesturesFromAnyApplication()
    {
        QVERIFY(m_x.isRunning());
        X11KeyboardMonitor monitor(m_x.display());
        HotkeyManager hotkeys(&monitor, nullptr);
        QStringList seen;
        hotkeys.onHoldStart = [&] { seen << u"start"_qs; };
        hotkeys.onHoldEnd = [&] { seen << u"end"_qs; };
        hotkeys.onDeckToggle = [&] { seen << u"deck"_qs; };
        hotkeys.start();

        // Right Alt held with Shift tapped in between, left Alt, then the deck chords.
        QCOMPARE(
            m_x.run(u"xdotool"_qs, {u"keydown"_qs, u"Alt_R"_qs, u"key"_qs, u"shift"_qs, u"keyup"_qs,
                                    u"Alt_R"_qs, u"key"_qs, u"Alt_L"_qs, u"key"_qs, u"ctrl+space"_qs,
                                    u"key"_qs, u"ctrl+super+space"_qs, u"key"_qs, u"ctrl+shift+space"_qs}),
            0);
        QTRY_COMPARE_WITH_TIMEOUT(seen.join(u' '), u"start end deck deck"_qs, 5000);
    }

    void noDisplayIsRefused()
    {
        X11KeyboardMonitor monitor(":9999");
        QVERIFY(!monitor.install([](const KeyEvent &) { return false; }));
    }

private:
    const PrivateXServer m_x;
};

DICTRAVA_TEST(X11KeyboardMonitorTest)
#include "X11KeyboardMonitorTest.moc"
