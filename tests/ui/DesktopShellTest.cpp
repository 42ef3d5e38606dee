#include "ui/DesktopShell.h"
#include "TestRegistry.h"
#include "app/CommandDeckController.h"
#include "app/OpenWindowBridge.h"
#include "dictation/HotkeyManager.h"
#include "support/AppHarness.h"
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
    void popupPlacement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at");
        const QRect belowTopBar(0, 24, 1280, 776);
        QTest::newRow("tray top right: under it, inside the screen")
            << QRect(1200, 0, 24, 24) << belowTopBar << QSize(300, 500) << QPoint(980, 28);
        QTest::newRow("tray top middle: centred under it")
            << QRect(628, 0, 24, 24) << belowTopBar << QSize(300, 500) << QPoint(490, 28);
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

    // No tray here: the panel is a window of its own. The deck's window requests reach the shell
    // from the start, whether or not the panel was ever shown.
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
        QVERIFY(!shell.hasTray());
        QQuickView *panel = shell.panel().window();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->flags() & Qt::FramelessWindowHint, Qt::WindowFlags());
        QCOMPARE(panel->height(), qRound(panel->rootObject()->height()));

        app.state->windows().requestTasks();
        QCOMPARE(opened, QStringList{u"tasks"_qs}); // one window, brought forward the second time
        QVERIFY(shell.windows().window(u"tasks"_qs)->isVisible());
        QVERIFY(!shell.windows().open(u"nowhere"_qs));

        // The window stays when a row opens something else.
        shell.panel().model()->trigger(u"deck"_qs);
        QTRY_VERIFY(app.state->deck().isVisible());
        QVERIFY(panel->isVisible());

        shell.panel().hide();
        shell.activate();
        QVERIFY(panel->isVisible());
        QTRY_VERIFY(panel->height() > 300);
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
        QVERIFY(!TrayIcon::recordingIcon().pixmap(22).isNull());
    }

    void popupClosesBeforeTheRowActs()
    {
        AppHarness app;
        ViewEngine views;
        ShellWindows windows(&views);
        MenuBarPanel panel(*app.state, windows, views);
        panel.show(QRect(600, 0, 24, 24));
        QVERIFY(panel.window()->flags().testFlag(Qt::FramelessWindowHint));
        bool panelGoneFirst = false;
        windows.registerWindow(u"meeting"_qs, [&] {
            panelGoneFirst = !panel.isVisible();
            return new QWindow;
        });
        panel.model()->trigger(u"meeting"_qs);
        QTRY_VERIFY(windows.window(u"meeting"_qs));
        QVERIFY(panelGoneFirst);

        panel.toggle();
        QVERIFY(panel.isVisible());
        panel.toggle();
        QVERIFY(!panel.isVisible());
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
