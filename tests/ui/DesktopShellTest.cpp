#include "ui/DesktopShell.h"
#include "TestRegistry.h"
#include "app/CommandDeckController.h"
#include "app/OpenWindowBridge.h"
#include "dictation/HotkeyManager.h"
#include "support/AppHarness.h"
#include "ui/DockStationWindow.h"
#include "ui/LocalKeyMonitor.h"
#include "ui/MenuBarModel.h"
#include "ui/MenuBarPanel.h"
#include "ui/ShellWindows.h"
#include "ui/TrayIcon.h"
#include "ui/ViewEngine.h"

#include <QKeyEvent>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

namespace {

// One of the app's windows with the keyboard focus, counting the spaces that reach it.
struct SpaceCountingWindow final : QWindow
{
    int spaces = 0;
    void keyPressEvent(QKeyEvent *event) override { spaces += event->key() == Qt::Key_Space ? 1 : 0; }
};

} // namespace

class DesktopShellTest : public QObject
{
    Q_OBJECT

private slots:
    // Centred under a tray icon in the middle of a top bar is checked on an X server in DesktopX11Test.
    void popupPlacement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at");
        const QRect belowTopBar(0, 24, 1280, 776);
        QTest::newRow("tray top right: under it, inside the screen")
            << QRect(1200, 0, 24, 24) << belowTopBar << QSize(300, 500) << QPoint(980, 28);
        QTest::newRow("tray bottom left: over it")
            << QRect(40, 776, 24, 24) << QRect(0, 0, 1280, 776) << QSize(300, 500) << QPoint(0, 272);
        QTest::newRow("unknown: top-right corner")
            << QRect() << belowTopBar << QSize(300, 500) << QPoint(972, 32);
        QTest::newRow("taller than the screen: top stays on it")
            << QRect(40, 776, 24, 24) << QRect(0, 0, 1280, 400) << QSize(300, 500) << QPoint(0, 0);
    }

    void popupPlacement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QRect, available);
        QFETCH(QSize, size);
        QFETCH(QPoint, at);
        QCOMPARE(MenuBarPanel::popupGeometry(size, anchor, available), QRect(at, size));
    }

    // No tray here: the panel is a window of its own (DesktopX11Test photographs it). The deck's
    // window requests reach the shell from the start, whether or not the panel was ever shown.
    void withoutTrayThePanelIsAWindow()
    {
        AppHarness app;
        DesktopShell shell(*app.state);
        QStringList opened;
        shell.windows().registerWindow(u"tasks"_qs, [&opened] {
            opened << u"tasks"_qs;
            return new QWindow;
        });
        app.state->windows().requestTasks();
        QCOMPARE(opened, QStringList{u"tasks"_qs});

        shell.start();
        QQuickView *panel = shell.panel().window();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->flags() & Qt::FramelessWindowHint, Qt::WindowFlags());

        // The window stays when a row opens something else.
        shell.panel().model()->trigger(u"deck"_qs);
        QTRY_VERIFY(app.state->deck().isVisible());
        QVERIFY(panel->isVisible());

        shell.panel().hide();
        shell.activate();
        QVERIFY(panel->isVisible());
    }

    // The dock station sits at the bottom centre of the available area, on whichever screen (the
    // first screen's place is checked on an X server in DesktopX11Test).
    void dockPlacement()
    {
        QCOMPARE(DockStationWindow::placement(QRect(1920, 0, 1600, 852)), QRect(2540, 770, 360, 72));
    }

    void animatesOnlyWhileShown()
    {
        ViewEngine views;
        DockStationWindow station(views);
        QVERIFY(!station.window()); // built on first use
        station.setLevel(0.5f);
        QVERIFY(!station.clock()->isTicking());

        station.show();
        QQuickView *window = station.window();
        QVERIFY(window && window->rootObject());
        QVERIFY(station.clock()->isTicking());
        QVERIFY(window->flags().testFlags(Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                                          Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint));
        const double before = station.clock()->time();
        QTRY_VERIFY(station.clock()->time() > before);

        station.show();
        QCOMPARE(station.window(), window);
        station.hide();
        QVERIFY(!window->isVisible());
        QVERIFY(!station.clock()->isTicking());
        QCOMPARE(station.level(), 0.0);
        // A level while hidden is kept, drawn frozen.
        const double frozen = station.clock()->time();
        station.setLevel(0.8f);
        QTest::qWait(80);
        QCOMPARE(station.clock()->time(), frozen);
        QVERIFY(!station.isActive());
        QCOMPARE(station.level(), double(0.8f));
    }

    void trayIconShowsRecording()
    {
        AppHarness app;
        TrayIcon tray(*app.state);
        const qint64 idleIcon = tray.icon().cacheKey();
        QVERIFY(!tray.showsRecording() && !tray.icon().isNull());
        app.listen();
        QVERIFY(tray.showsRecording());
        QVERIFY(tray.icon().cacheKey() != idleIcon);
        app.state->stopDictation();
        QVERIFY(!tray.showsRecording());
        QCOMPARE(tray.icon().cacheKey(), idleIcon);
    }

    void localKeys_data()
    {
        // Space with "^" Ctrl, "+" Shift, "!" Alt; "R"/"r", "L"/"l": right or left Alt down/up.
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<int>("spaces"); // that reached the focused field
        QTest::newRow("Ctrl+Space toggles and is consumed") << u"^"_qs << u"deck"_qs << 0;
        QTest::newRow("plain space is typed") << u" "_qs << QString() << 1;
        QTest::newRow("Ctrl+Alt+Space does not") << u"^!"_qs << QString() << 1;
        QTest::newRow("Right Alt held and released") << u"Rr"_qs << u"start end"_qs << 0;
        QTest::newRow("left Alt means nothing") << u"Ll"_qs << QString() << 0;
    }

    void localKeys()
    {
        QFETCH(QString, keys);
        LocalKeyMonitor monitor;
        HotkeyManager hotkeys(nullptr, &monitor);
        QStringList seen;
        hotkeys.onHoldStart = [&] { seen << u"start"_qs; };
        hotkeys.onHoldEnd = [&] { seen << u"end"_qs; };
        hotkeys.onDeckToggle = [&] { seen << u"deck"_qs; };
        hotkeys.start();

        SpaceCountingWindow view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        if (keys.at(0).isLetter()) {
            for (const QChar key : keys)
                sendAlt(view, key.isUpper(), key.toUpper() == u'R' ? 0xffea : 0xffe9);
        } else {
            Qt::KeyboardModifiers modifiers;
            modifiers.setFlag(Qt::ControlModifier, keys.contains(u'^'));
            modifiers.setFlag(Qt::ShiftModifier, keys.contains(u'+'));
            modifiers.setFlag(Qt::AltModifier, keys.contains(u'!'));
            QTest::keyClick(&view, Qt::Key_Space, modifiers);
        }
        QTEST(seen.join(u' '), "calls");
        QTEST(view.spaces, "spaces");
    }

private:
    static void sendAlt(QWindow &window, bool press, quint32 keysym)
    {
        QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Alt,
                        press ? Qt::NoModifier : Qt::AltModifier, 0, keysym, 0);
        QCoreApplication::sendEvent(&window, &event);
    }
};

DICTRAVA_TEST(DesktopShellTest)
#include "DesktopShellTest.moc"
