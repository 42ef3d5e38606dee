#include "ui/DockStationWindow.h"
#include "ui/DockWaveform.h"

#include <QGuiApplication>
#include <QQuickView>
#include <QScreen>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>

Q_IMPORT_QML_PLUGIN(DictravaPlugin)

class DockStationTest : public QObject
{
    Q_OBJECT

private slots:
    void barHeights_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("time");
        QTest::addColumn<double>("level");
        QTest::addColumn<double>("height");

        // sin(0.45 i + 7.5 t): chosen so the wave is 1 (peak) or 0 (trough).
        const double peakAtZero = M_PI / 2 / 7.5;
        QTest::newRow("trough: never below 6") << 0 << -M_PI / 2 / 7.5 << 1.0 << 6.0;
        QTest::newRow("silent, outermost bar at its peak")
            << 0 << peakAtZero << 0.0 << 6 + 0.35 * 22 * (0.55 + 0.45 / 28);
        // Bar 13 sits half a bar from the middle: taper 0.55 + 0.45 × (1 − 0.5/14).
        QTest::newRow("silent, next to the middle at its peak")
            << 13 << (M_PI / 2 - 0.45 * 13) / 7.5 << 0.0 << 6 + 0.35 * 22 * (0.55 + 0.45 * (1 - 0.5 / 14));
        QTest::newRow("full level, tallest possible")
            << 14 << (M_PI / 2 - 0.45 * 14) / 7.5 << 1.0 << 6 + 1.25 * 22 * (0.55 + 0.45 * (1 - 0.5 / 14));
        QTest::newRow("last bar mirrors the first")
            << 27 << (M_PI / 2 - 0.45 * 27) / 7.5 << 0.0 << 6 + 0.35 * 22 * (0.55 + 0.45 / 28);
    }

    void barHeights()
    {
        QFETCH(int, index);
        QFETCH(double, time);
        QFETCH(double, level);
        QFETCH(double, height);
        QVERIFY2(std::abs(DockWaveform::barHeight(index, 28, time, level) - height) < 1e-9,
                 qPrintable(QString::number(DockWaveform::barHeight(index, 28, time, level))));
    }

    void silentRowStaysLowAndRipples()
    {
        double lowest = 100;
        double highest = 0;
        for (double t = 0; t < 2; t += 0.01) {
            for (int i = 0; i < 28; ++i) {
                lowest = std::min(lowest, DockWaveform::barHeight(i, 28, t, 0));
                highest = std::max(highest, DockWaveform::barHeight(i, 28, t, 0));
            }
        }
        QVERIFY(lowest >= 6 && lowest < 6.05);
        QVERIFY(highest > 13.4 && highest <= 6 + 0.35 * 22);
        // The ends are tapered: ≈0.566 against ≈0.984 beside the middle.
        QVERIFY(DockWaveform::barHeight(0, 28, 0.2, 1) < DockWaveform::barHeight(14, 28, 0.2 - 14 * 0.06, 1));
        QCOMPARE(DockWaveform::barHeight(0, 1, M_PI / 15, 0), 6 + 0.35 * 22); // no division by zero
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
        QFETCH(QRect, frame);
        QCOMPARE(DockWaveform::kBarCount, 28);
        QCOMPARE(DockStationWindow::placement(available), frame);
    }

    void animatesOnlyWhileShown()
    {
        DockStationWindow station;
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
        QCOMPARE(window->geometry(),
                 DockStationWindow::placement(QGuiApplication::primaryScreen()->availableGeometry()));
        QVERIFY(window->isVisible());
        station.setLevel(0.6f);
        QTest::qWait(100);

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

QTEST_MAIN(DockStationTest)
#include "DockStationTest.moc"
