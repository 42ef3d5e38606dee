// The desktop on a private Xvfb screen, photographed into the build folder (or DICTRAVA_SCREENSHOTS):
// the panel, the dock station and the tray; then the deck, the focus HUD and the briefing card:
// where they appear, who has the keyboard, how they look in a light and a dark palette.
#include "app/CommandDeckController.h"
#include "planning/BriefingStore.h"
#include "planning/FocusCoachStore.h"
#include "support/AppHarness.h"
#include "support/PrivateXServer.h"
#include "support/TrayHost.h"
#include "ui/BriefingPanelController.h"
#include "ui/BriefingPanelViewModel.h"
#include "ui/CommandDeckPanel.h"
#include "ui/DesktopShell.h"
#include "ui/DockStationWindow.h"
#include "ui/FocusHUDController.h"
#include "ui/MenuBarPanel.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPalette>
#include <QProcess>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(DictravaPlugin)

namespace {

// A Tk text field of another program, which takes the keyboard focus at start.
const char *const kField = R"(
import tkinter as tk
root = tk.Tk()
root.title("field")
root.geometry("400x60+40+600")
entry = tk.Entry(root)
entry.pack(fill="x", padx=8, pady=8)
root.after(100, lambda: (root.focus_force(), entry.focus_set(), print("ready", flush=True)))
root.mainloop()
)";

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
        QVERIFY2(m_x.isRunning(), "Xvfb did not start");
        m_folder = qEnvironmentVariable("DICTRAVA_SCREENSHOTS", QDir::currentPath());
        m_app = std::make_unique<AppHarness>();
        m_app->state->process(u"remember to send the quarterly numbers to Sam before the review"_qs,
                              VoiceMode::Dictate);
        m_shell = std::make_unique<DesktopShell>(*m_app->state);
        m_shell->start();
    }

    void cleanupTestCase()
    {
        m_field.kill();
        m_field.waitForFinished(3000);
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
        tray.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!m_shell->hasTray() && panel->isVisible(), 10000);
        m_shell->panel().hide(); // the floating panels below are what the rest looks at
    }

    // Centred, 40 above the middle; it has the keyboard: arrows and Enter pick a tile, Escape hides it.
    void deckTakesTheKeyboard()
    {
        CommandDeckController &deck = m_app->state->deck();
        deck.toggle();
        QQuickView *window = m_shell->deckPanel().window();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QTRY_COMPARE(m_x.windowGeometry(u"Dictra Command Deck"_qs), QRect(420, 130, 440, 460));
        QTRY_VERIFY(window->isActive());

        key(u"Right"_qs); // from Capture to Focus
        key(u"Return"_qs);
        QTRY_COMPARE(deck.modeRaw(), u"focus"_qs);
        QCOMPARE(m_app->state->voiceMode(), VoiceMode::Focus);
        key(u"Escape"_qs);
        QTRY_VERIFY(!deck.isVisible());
        QVERIFY(!window->isVisible());
    }

    // Top right, and clicking it leaves the keyboard with the program the user types into.
    void hudLeavesTheFocusAlone()
    {
        m_field.setProcessEnvironment(m_x.environment());
        m_field.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_field.start(u"python3"_qs, {u"-c"_qs, QString::fromUtf8(kField)});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += m_field.readAllStandardOutput()).contains("ready"), 30000);
        const QByteArray fieldFocus = focusedWindow();

        FocusCoachStore &coach = m_app->state->focusCoach();
        coach.setFromSpeech(u"Goal: ship the beta. write the copy; deploy it; tell the team"_qs);
        QQuickView *hud = m_shell->focusHud().window();
        QVERIFY(hud && QTest::qWaitForWindowExposed(hud));
        QTRY_COMPARE(m_x.windowGeometry(u"Focus Coach"_qs), QRect(944, 16, 320, 148));
        QVERIFY(coach.hudVisible());
        coach.noteActivity(u"dictate"_qs);
        QVERIFY(coach.driftMessage());

        const auto *switchOk = hud->rootObject()->findChild<QQuickItem *>(u"switchOk"_qs);
        QVERIFY(switchOk);
        const QPoint at = hud->mapToGlobal(switchOk->mapToScene(switchOk->boundingRect().center()).toPoint());
        QCOMPARE(m_x.run(u"xdotool"_qs, {u"mousemove"_qs, QString::number(at.x()), QString::number(at.y()),
                                         u"click"_qs, u"1"_qs}),
                 0);
        QTRY_VERIFY(!coach.driftMessage());
        QVERIFY(!hud->isActive());
        QCOMPARE(focusedWindow(), fieldFocus);
    }

    // A night dump shows the card over the deck, centred 20 above the middle, with the keyboard.
    void briefingCardAfterANightDump()
    {
        m_app->state->process(u"call the bank at 9 then email Sam about the offsite"_qs, VoiceMode::Briefing);
        QQuickView *card = m_shell->briefingCard().window();
        QVERIFY(card && QTest::qWaitForWindowExposed(card));
        QTRY_COMPARE(m_x.windowGeometry(u"Briefing"_qs), QRect(420, 140, 440, 480));
        QVERIFY(m_app->state->deck().isVisible());
        QTRY_VERIFY(card->isActive());
        key(u"Escape"_qs);
        QTRY_VERIFY(!card->isVisible());
    }

    void screenshots_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    // Each view in each palette: the card's own colour follows it, and there is text on it.
    void screenshots()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(dark ? darkPalette() : QPalette());
        const QString suffix = dark ? u"-dark.png"_qs : u"-light.png"_qs;
        m_app->state->deck().select(DeckMode::Focus);
        m_app->state->deck().show();
        const QImage deck = screenshot(u"ui-deck"_qs + suffix);
        checkCard(deck, QRect(420, 130, 440, 460), dark);
        checkCard(deck, QRect(944, 16, 320, 148), dark);

        m_app->state->briefingStore().showTodayNow();
        const QImage card = screenshot(u"ui-briefing"_qs + suffix);
        checkCard(card, QRect(420, 140, 440, 480), dark);
        m_shell->briefingCard().model()->close();
        m_app->state->deck().hide();
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

    static QPalette darkPalette()
    {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
        palette.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
        palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
        palette.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
        palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x38));
        palette.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
        return palette;
    }

    // Light or dark just inside the card's top edge, and many colours (text, symbols) on it.
    static void checkCard(const QImage &shot, const QRect &frame, bool dark)
    {
        const int lightness = QColor(shot.pixel(frame.center().x(), frame.top() + 8)).lightness();
        QVERIFY2(dark ? lightness < 90 : lightness > 200, qPrintable(QString::number(lightness)));
        QVERIFY(colourCount(shot, frame) > 30);
    }

    void key(const QString &name) const { QCOMPARE(m_x.run(u"xdotool"_qs, {u"key"_qs, name}), 0); }

    QByteArray focusedWindow() const
    {
        QByteArray id;
        m_x.run(u"xdotool"_qs, {u"getwindowfocus"_qs, u"-f"_qs}, &id);
        return id.trimmed();
    }

    QImage screenshot(const QString &name)
    {
        QTest::qWait(200); // let the windows draw
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
    QProcess m_field;
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
