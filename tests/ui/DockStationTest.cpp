#include "TestRegistry.h"
#include "ui/DockStationWindow.h"
#include "ui/DockWaveform.h"
#include "ui/ViewEngine.h"

#include <QQuickView>
#include <QTest>

#include <cmath>

class DockStationTest : public QObject
{
    Q_OBJECT

private slots:
    void barHeights_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("time");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("height");

        // Times chosen so sin(0.45 i + 7.5 t) is 1 (the wave's peak) or −1 (its trough).
        const auto peak = [](int index) { return (M_PI / 2 - 0.45 * index) / 7.5; };
        const double outerTaper = 0.55 + 0.45 / 28;             // |i − 13.5| = 13.5
        const double innerTaper = 0.55 + 0.45 * (1 - 0.5 / 14); // |i − 13.5| = 0.5
        QTest::newRow("trough: never below 6") << 0 << 28 << -M_PI / 2 / 7.5 << 1.0 << 6.0;
        QTest::newRow("silent, outermost at its peak")
            << 0 << 28 << peak(0) << 0.0 << 6 + 0.35 * 22 * outerTaper;
        QTest::newRow("silent, beside the middle at its peak")
            << 13 << 28 << peak(13) << 0.0 << 6 + 0.35 * 22 * innerTaper; // ≈13.6, the silent maximum
        QTest::newRow("full level, tallest possible")
            << 14 << 28 << peak(14) << 1.0 << 6 + 1.25 * 22 * innerTaper;
        QTest::newRow("last bar mirrors the first")
            << 27 << 28 << peak(27) << 0.0 << 6 + 0.35 * 22 * outerTaper;
        QTest::newRow("a lone bar is not tapered") << 0 << 1 << peak(0) << 0.0 << 6 + 0.35 * 22;
    }

    void barHeights()
    {
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(double, time);
        QFETCH(double, level);
        QFETCH(double, height);
        QVERIFY(std::abs(DockWaveform::barHeight(index, count, time, level) - height) < 1e-9);
    }

    void colours()
    {
        const QColor quiet = DockWaveform::barColor(0, 0, 0);
        QCOMPARE(quiet.hsvHueF(), 0.52f);
        QVERIFY(qFuzzyCompare(quiet.hsvSaturationF(), 0.65f));
        QVERIFY(qFuzzyCompare(quiet.alphaF(), 0.55f));
        QVERIFY(qFuzzyCompare(DockWaveform::barColor(0, M_PI / 4, 1).hsvHueF(), 0.60f));
        QVERIFY(qFuzzyCompare(DockWaveform::barColor(3, 0, 1).alphaF(), 0.95f));
    }

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
        QCOMPARE(DockWaveform::kBarCount, 28);
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
