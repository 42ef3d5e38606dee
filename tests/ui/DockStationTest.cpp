#include "TestRegistry.h"
#include "ui/DockStationWindow.h"
#include "ui/ViewEngine.h"

#include <QQuickView>
#include <QTest>

class DockStationTest : public QObject
{
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("frame");
        QTest::newRow("whole screen") << QRect(0, 0, 1280, 800) << QRect(460, 718, 360, 72);
        QTest::newRow("dock below, second screen to the right")
            << QRect(1920, 0, 1600, 852) << QRect(2540, 770, 360, 72);
    }

    void placement()
    {
        QFETCH(QRect, available);
        QTEST(DockStationWindow::placement(available), "frame");
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
        QVERIFY(station.clock()->intervalMs() >= 1000 / 30);
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
};

DICTRAVA_TEST(DockStationTest)
#include "DockStationTest.moc"
