// The Command Deck, the focus HUD and the briefing card on a private Xvfb screen: where they
// appear, who has the keyboard, and how they look in a light and a dark palette (photographed
// into the build folder, or DICTRAVA_SCREENSHOTS).
#include "app/CommandDeckController.h"
#include "planning/BriefingStore.h"
#include "planning/FocusCoachStore.h"
#include "support/AppHarness.h"
#include "support/PrivateXServer.h"
#include "ui/BriefingPanelController.h"
#include "ui/BriefingPanelViewModel.h"
#include "ui/CommandDeckPanel.h"
#include "ui/DesktopShell.h"
#include "ui/FocusHUDController.h"
#include "ui/MenuBarPanel.h"

#include <QApplication>
#include <QDir>
#include <QImage>
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

} // namespace

class FloatingPanelsX11Test : public QObject
{
    Q_OBJECT

public:
    explicit FloatingPanelsX11Test(const PrivateXServer &x) : m_x(x) {}

private slots:
    void initTestCase()
    {
        QVERIFY2(m_x.isRunning(), "Xvfb did not start");
        m_folder = qEnvironmentVariable("DICTRAVA_SCREENSHOTS", QDir::currentPath());
        m_app = std::make_unique<AppHarness>();
        m_shell = std::make_unique<DesktopShell>(*m_app->state);
        m_shell->start();
        m_shell->panel().hide(); // the tray-less panel window is not what this test looks at
    }

    void cleanupTestCase()
    {
        m_field.kill();
        m_field.waitForFinished(3000);
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
    void checkCard(const QImage &shot, const QRect &frame, bool dark)
    {
        const int lightness = QColor(shot.pixel(frame.center().x(), frame.top() + 8)).lightness();
        QVERIFY2(dark ? lightness < 90 : lightness > 200, qPrintable(QString::number(lightness)));
        QSet<QRgb> colours;
        for (int y = frame.top(); y <= frame.bottom(); y += 2)
            for (int x = frame.left(); x <= frame.right(); x += 2)
                colours.insert(shot.pixel(x, y));
        QVERIFY(colours.size() > 30);
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
        [&] { QCOMPARE(m_x.run(u"import"_qs, {u"-window"_qs, u"root"_qs, file}), 0); }();
        return QImage(file);
    }

    const PrivateXServer &m_x;
    QString m_folder;
    std::unique_ptr<AppHarness> m_app;
    std::unique_ptr<DesktopShell> m_shell;
    QProcess m_field;
};

int main(int argc, char *argv[])
{
    const PrivateXServer x;
    x.useInThisProcess();
    QApplication app(argc, argv);
    FloatingPanelsX11Test test(x);
    return QTest::qExec(&test, argc, argv);
}

#include "FloatingPanelsX11Test.moc"
