// The desktop on a private Xvfb screen: the panel and the dock station as a person sees them,
// photographed with ImageMagick's `import` into the build folder (DICTRAVA_SCREENSHOTS overrides),
// clicks through the station, and the tray coming and going.
#include "support/AppHarness.h"
#include "support/PrivateXServer.h"
#include "support/TrayHost.h"
#include "ui/DesktopShell.h"
#include "ui/DockStationWindow.h"
#include "ui/MenuBarPanel.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QQuickView>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(DictravaPlugin)

namespace {

// A plain white window that counts the presses reaching it.
class Backdrop final : public QQuickView
{
public:
    explicit Backdrop(const QRect &geometry)
    {
        setFlags(Qt::FramelessWindowHint);
        setColor(Qt::white);
        setGeometry(geometry);
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        QQuickView::mousePressEvent(event);
    }
};

// Distinct colours inside `area` of the picture.
int colourCount(const QImage &image, const QRect &area)
{
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

class DesktopX11Test : public QObject
{
    Q_OBJECT

public:
    explicit DesktopX11Test(const PrivateXServer &x) : m_x(x) {}

private slots:
    void initTestCase()
    {
        m_folder = qEnvironmentVariable("DICTRAVA_SCREENSHOTS", QDir::currentPath());
        m_app = std::make_unique<AppHarness>();
        m_app->state->process(u"remember to send the quarterly numbers to Sam before the review"_qs,
                              VoiceMode::Dictate);
        m_shell = std::make_unique<DesktopShell>(*m_app->state);
        m_shell->start();
    }

    // No tray on a bare X server: the panel is an ordinary window, on screen from the start.
    void panelWithoutTray()
    {
        QVERIFY(!m_shell->hasTray());
        QQuickView *panel = m_shell->panel().window();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        QVERIFY(panel->height() > 400);
        // Mapped on the X server at its size.
        QTRY_COMPARE(m_x.windowGeometry(u"Dictrava"_qs).size(), panel->size());

        const QImage shot = screenshot(u"ui-panel.png"_qs);
        const QRect frame = panel->geometry();
        QVERIFY(colourCount(shot, frame) > 20); // text and icons, not an empty box
        QVERIFY(isGreenish(shot.pixel(frame.topLeft() + kDot)));
    }

    // Listening: the dock station appears at the bottom centre, over a white window, the panel's
    // dot turns red and the live text replaces the last result.
    void listening()
    {
        m_backdrop = std::make_unique<Backdrop>(QRect(300, 600, 680, 200));
        m_backdrop->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_backdrop.get()));
        m_app->listen(u"let us meet on thursday"_qs, 0.6f);
        QTRY_VERIFY(!m_app->state->liveTranscript().isEmpty());
        QQuickView *dock = m_shell->dockStation().window();
        QVERIFY(dock && QTest::qWaitForWindowExposed(dock));
        QCOMPARE(dock->geometry(), QRect(460, 718, 360, 72));
        QTest::qWait(300); // a few frames of the waveform

        const QImage shot = screenshot(u"ui-listening.png"_qs);
        const QImage bars = shot.copy(dock->geometry().adjusted(100, 20, -100, -20));
        QVERIFY(colourCount(bars, bars.rect()) > 10);
        QVERIFY(isReddish(shot.pixel(m_shell->panel().window()->geometry().topLeft() + kDot)));
        // No compositor here: the station is cut to its capsule, the window beneath shows at the corners.
        QCOMPARE(shot.pixel(dock->geometry().topLeft() + QPoint(2, 2)), qRgb(255, 255, 255));
        QVERIFY(shot.pixel(dock->geometry().center()) != qRgb(255, 255, 255));
    }

    // The station never takes clicks: they reach the window beneath.
    void clicksPassThroughTheStation()
    {
        QCOMPARE(m_x.run(u"xdotool"_qs, {u"mousemove"_qs, u"640"_qs, u"754"_qs, u"click"_qs, u"1"_qs}), 0);
        QTRY_COMPARE(m_backdrop->presses, 1);
        m_backdrop.reset();
    }

    // A tray comes: the icon docks and the panel turns into its popup, opened by a click on the
    // icon and closed when the focus goes elsewhere. The tray goes: the panel is a window again.
    // It comes back: the icon docks again.
    void trayComesAndGoes()
    {
        m_app->state->stopDictation();
        m_app->recognizer->lastTask()->finalResult(u"let us meet on thursday"_qs);
        QQuickView *panel = m_shell->panel().window();
        QVERIFY(panel->isVisible());
        TrayHost tray(QRect(1100, 0, 180, 24)); // the right end of a top bar
        QVERIFY(tray.start());
        QTRY_VERIFY_WITH_TIMEOUT(m_shell->hasTray(), 5000);
        QTRY_COMPARE(tray.dockedIcons(), 1);
        QCOMPARE(m_shell->panel().presentation(), MenuBarPanel::Presentation::Popup);
        QVERIFY(!panel->isVisible());

        const QPoint icon = tray.firstIcon().center();
        QCOMPARE(m_x.run(u"xdotool"_qs, {u"mousemove"_qs, QString::number(icon.x()),
                                         QString::number(icon.y()), u"click"_qs, u"1"_qs}),
                 0);
        QTRY_VERIFY(panel->isVisible());
        QVERIFY(panel->flags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        QTRY_VERIFY(panel->isActive());
        // Centred under the icon, just below the bar.
        QCOMPARE(panel->position(),
                 QPoint(tray.firstIcon().x() + TrayHost::kIconSize / 2 - 150, 24 + MenuBarPanel::kGap));
        const QImage shot = screenshot(u"ui-tray-popup.png"_qs);
        QVERIFY(colourCount(shot, tray.firstIcon()) > 10); // the app icon, drawn in the tray
        QVERIFY(isGreenish(shot.pixel(panel->position() + kDot)));

        Backdrop elsewhere(QRect(700, 300, 200, 200));
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
        elsewhere.requestActivate();
        QTRY_VERIFY(!panel->isVisible());

        tray.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!m_shell->hasTray(), 10000);
        QTRY_VERIFY(panel->isVisible());
        QCOMPARE(m_shell->panel().presentation(), MenuBarPanel::Presentation::Window);

        QVERIFY(tray.start());
        QTRY_VERIFY_WITH_TIMEOUT(m_shell->hasTray(), 5000);
        QTRY_COMPARE(tray.dockedIcons(), 1);
    }

private:
    // The status dot at the right end of the header row.
    static constexpr QPoint kDot{281, 28};

    static bool isGreenish(QRgb pixel)
    {
        return qGreen(pixel) > qRed(pixel) + 40 && qGreen(pixel) > qBlue(pixel) + 40;
    }
    static bool isReddish(QRgb pixel)
    {
        return qRed(pixel) > qGreen(pixel) + 80 && qRed(pixel) > qBlue(pixel) + 80;
    }

    QImage screenshot(const QString &name)
    {
        QCoreApplication::processEvents();
        const QString file = QDir(m_folder).filePath(name);
        const int exitCode = m_x.run(u"import"_qs, {u"-window"_qs, u"root"_qs, file});
        [&] { QCOMPARE(exitCode, 0); }();
        QImage image(file);
        [&] { QCOMPARE(image.size(), QSize(1280, 800)); }();
        return image;
    }

    const PrivateXServer &m_x;
    QString m_folder;
    std::unique_ptr<AppHarness> m_app;
    std::unique_ptr<DesktopShell> m_shell;
    std::unique_ptr<Backdrop> m_backdrop;
};

int main(int argc, char *argv[])
{
    const PrivateXServer x;
    x.useInThisProcess();
    QApplication app(argc, argv);
    DesktopX11Test test(x);
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopX11Test.moc"
