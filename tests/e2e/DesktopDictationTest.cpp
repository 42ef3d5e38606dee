// The desktop app as a user has it: dictrava running on an X server with a real sound server
// and session bus, a text field of another program focused, Right Alt held while speaking.
#include "support/IsolatedHome.h"
#include "support/LaunchedApp.h"
#include "support/PrivatePulseServer.h"
#include "support/PrivateSessionBus.h"
#include "support/PrivateXServer.h"
#include "support/RenderedSpeech.h"
#include "support/TestNotificationServer.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QJsonObject>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A Tk entry of its own process: prints its content on every change, takes the keyboard focus
// when told "focus" on standard input.
const char *const kTextField = R"(
import os, sys, tkinter as tk
root = tk.Tk()
root.title("field")
root.geometry("640x60+300+200")
text = tk.StringVar()
entry = tk.Entry(root, textvariable=text, width=70)
entry.pack(fill="x", padx=8, pady=8)
def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()
text.trace_add("write", lambda *_: say("text:" + text.get()))
def command(*_):
    for line in os.read(0, 4096).decode().split():
        if line == "focus":
            root.focus_force()
            entry.focus_set()
            root.after(200, lambda: say("focused"))
        elif line == "clear":
            text.set("")
root.tk.createfilehandler(sys.stdin, tk.READABLE, command)
root.after(100, lambda: say("ready"))
root.mainloop()
)";

QByteArray pngOfSquare()
{
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

class DesktopDictationTest : public QObject
{
    Q_OBJECT

public:
    explicit DesktopDictationTest(const PrivateXServer &x) : m_x(x) {}

private slots:
    void initTestCase()
    {
        QVERIFY2(m_x.isRunning(), "Xvfb did not start");
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.errorString()));
        QVERIFY2(m_pulse.isRunning(), qPrintable(m_pulse.errorString()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        QVERIFY(m_notifications.registerOn(m_bus.connect()));

        QProcessEnvironment environment = m_x.environment();
        environment.insert(u"PULSE_SERVER"_qs, m_pulse.serverAddress());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, m_bus.address());
        m_app.setEnvironment(environment);
        // The user's data, made before the app starts.
        QCOMPARE(cli({u"dictate"_qs, u"--text"_qs, u"the quarterly numbers look good"_qs}).exitCode, 0);
        QVERIFY(m_app.start());

        m_field.setProcessEnvironment(m_x.environment());
        m_field.start(u"python3"_qs, {u"-c"_qs, QString::fromUtf8(kTextField)});
        QTRY_VERIFY_WITH_TIMEOUT(fieldOutput().contains("ready"), 10000);
    }

    void cleanupTestCase()
    {
        m_field.kill();
        m_field.waitForFinished(3000);
    }

    void dictationLandsInTheFocusedFieldAndTheClipboardComesBack()
    {
        const QByteArray png = pngOfSquare();
        auto mine = new QMimeData;
        mine->setText(u"what the user copied"_qs);
        mine->setData(u"image/png"_qs, png);
        QGuiApplication::clipboard()->setMimeData(mine);
        focusField();

        // Two sentences, the pause between them long enough for the recogniser to close its task.
        const QString first = u"please send the report to the team"_qs;
        const QString second = u"remember to water the plants"_qs;
        QVERIFY(m_x.run(u"xdotool"_qs, {u"keydown"_qs, u"Alt_R"_qs}) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(status().value(u"isDictating"_qs).toBool(), 5000);
        QVERIFY(m_pulse.feedFile(speechFile(first)));
        m_pulse.feedSilence(2.0);
        QVERIFY(m_pulse.feedFile(speechFile(second)));
        m_pulse.feedSilence(0.6);
        QVERIFY(m_pulse.waitUntilFed());
        QCOMPARE(
            m_x.run(u"import"_qs, {u"-window"_qs, u"root"_qs, screenshotPath(u"desktop-dictating.png"_qs)}),
            0);
        QVERIFY(m_x.run(u"xdotool"_qs, {u"keyup"_qs, u"Alt_R"_qs}) == 0);

        QTRY_VERIFY_WITH_TIMEOUT(wordOverlap(first + u' ' + second, fieldText()) >= 0.7, 10000);
        QVERIFY2(fieldText().front().isUpper() && fieldText().endsWith(u'.'), qPrintable(fieldText()));
        QCOMPARE(status().value(u"statusMessage"_qs).toString(), u"Inserted — Hold Right Alt to dictate"_qs);

        // Once the restore is due, the clipboard holds the user's text and image again.
        QTest::qWait(800);
        const QMimeData *back = QGuiApplication::clipboard()->mimeData();
        QVERIFY(back);
        QCOMPARE(back->text(), u"what the user copied"_qs);
        QCOMPARE(back->data(u"image/png"_qs), png);
    }

    // Pressed in another program, then in our own window, where both the system-wide and the
    // in-window monitor see the key: each press toggles the deck once.
    void ctrlSpaceTogglesTheDeck()
    {
        focusField();
        const bool before = status().value(u"deckVisible"_qs).toBool();
        QCOMPARE(m_x.run(u"xdotool"_qs, {u"key"_qs, u"ctrl+space"_qs}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(status().value(u"deckVisible"_qs).toBool(), !before, 5000);
        QByteArray focused;
        QCOMPARE(m_x.run(u"xdotool"_qs,
                         {u"search"_qs, u"--onlyvisible"_qs, u"--name"_qs, u"^Dictrava$"_qs,
                          u"windowfocus"_qs, u"--sync"_qs, u"getwindowfocus"_qs, u"getwindowname"_qs},
                         &focused),
                 0);
        QCOMPARE(focused.trimmed(), "Dictrava");
        QCOMPARE(m_x.run(u"xdotool"_qs, {u"key"_qs, u"ctrl+space"_qs}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(status().value(u"deckVisible"_qs).toBool(), before, 5000);
        QTest::qWait(300); // a second toggle from the same press would have come by now
        QCOMPARE(status().value(u"deckVisible"_qs).toBool(), before);
    }

    void pushToTalkFromTheCommandLine()
    {
        focusField();
        const QString said = u"meet me at the station at noon"_qs;
        QCOMPARE(cli({u"ptt"_qs, u"start"_qs}).exitCode, 0);
        QVERIFY(status().value(u"isDictating"_qs).toBool());
        QVERIFY(m_pulse.feedFile(speechFile(said)));
        m_pulse.feedSilence(0.4);
        QVERIFY(m_pulse.waitUntilFed());
        QCOMPARE(cli({u"ptt"_qs, u"toggle"_qs}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(wordOverlap(said, fieldText()) >= 0.6, 10000);
        QVERIFY(!status().value(u"isDictating"_qs).toBool());
    }

    void commandLineTextGoesThroughTheApp()
    {
        const CliRun run = cli({u"capture"_qs, u"--text"_qs, u"call Sarah at 3"_qs, u"--json"_qs});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject result = run.json();
        QCOMPARE(result.value(u"status"_qs).toString(), u"Captured 1 task"_qs);
        QCOMPARE(status().value(u"lastResult"_qs).toString(), u"Call Sarah at 3"_qs);
        // The app's clock cannot be set from outside.
        QCOMPARE(
            cli({u"capture"_qs, u"--text"_qs, u"call Tom"_qs, u"--now"_qs, u"2026-03-01T09:00"_qs}).exitCode,
            2);
    }

    // The data and meeting windows, opened from the command line as a key binding would, each at its
    // size (that each stays single and shows the user's data is checked in DataWindowsTest).
    void dataWindowsOnRequest_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::newRow("tasks") << u"tasks"_qs << u"Tasks & Reminders"_qs << QSize(560, 480);
        QTest::newRow("history") << u"history"_qs << u"History"_qs << QSize(640, 480);
        QTest::newRow("settings") << u"settings"_qs << u"Dictrava Settings"_qs << QSize(520, 420);
        QTest::newRow("meeting") << u"meeting"_qs << u"Meeting Mode"_qs << QSize(720, 560);
    }

    void dataWindowsOnRequest()
    {
        QFETCH(QString, id);
        QFETCH(QString, title);
        QCOMPARE(cli({u"open"_qs, id}).exitCode, 0);
        QRect frame;
        QTRY_VERIFY_WITH_TIMEOUT((frame = m_x.windowGeometry(title)).isValid(), 10000);
        QTEST(frame.size(), "size");
        QTest::qWait(300); // the first frame
        QCOMPARE(m_x.run(u"import"_qs,
                         {u"-window"_qs, u"root"_qs, screenshotPath(u"window-"_qs + id + u".png"_qs)}),
                 0);
        QCOMPARE(cli({u"open"_qs, u"sideways"_qs}).exitCode, 2);
    }

    void secondLaunchActivatesTheFirst()
    {
        QProcess second;
        second.setProcessEnvironment(m_app.environment());
        second.start(QStringLiteral(DICTRAVA_APP), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(m_app.output().contains("[Shell] Activated over D-Bus"), 5000);
        QCOMPARE(m_app.process().state(), QProcess::Running);
    }

    // Logging out sends SIGTERM: the app quits through its event loop and writes what is pending.
    void endsNormallyWhenTheSessionEnds()
    {
        m_app.process().terminate();
        QVERIFY(m_app.process().waitForFinished(10000));
        QCOMPARE(m_app.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_app.process().exitCode(), 0);
    }

private:
    CliRun cli(const QStringList &arguments) const { return m_app.cli(arguments); }
    QJsonObject status() const { return m_app.status(); }

    QByteArray fieldOutput()
    {
        m_fieldOutput += m_field.readAllStandardOutput();
        return m_fieldOutput;
    }

    QString fieldText()
    {
        const QByteArray output = fieldOutput();
        const qsizetype at = output.lastIndexOf("text:");
        if (at < 0)
            return {};
        const qsizetype end = output.indexOf('\n', at);
        return QString::fromUtf8(output.mid(at + 5, end - at - 5));
    }

    void focusField()
    {
        m_field.write("clear\nfocus\n");
        const qsizetype focusedBefore = fieldOutput().count("focused");
        QTRY_VERIFY_WITH_TIMEOUT(fieldOutput().count("focused") > focusedBefore, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(fieldText(), QString(), 5000);
    }

    QString speechFile(const QString &text)
    {
        const QString path = m_files.filePath(QString::number(++m_fileCount) + u".wav"_qs);
        return renderSpeechFile(u"slt"_qs, text, path) ? path : QString();
    }

    static QString screenshotPath(const QString &name)
    {
        return QDir(qEnvironmentVariable("DICTRAVA_SCREENSHOTS", QDir::currentPath())).filePath(name);
    }

    const PrivateXServer &m_x;
    IsolatedHome m_home;
    PrivateSessionBus m_bus;
    TestNotificationServer m_notifications;
    PrivatePulseServer m_pulse;
    QTemporaryDir m_files;
    int m_fileCount = 0;
    LaunchedApp m_app;
    QProcess m_field;
    QByteArray m_fieldOutput;
};

int main(int argc, char *argv[])
{
    // The test's own clipboard and windows live on the private X server, like the app's.
    const PrivateXServer x;
    x.useInThisProcess();
    QApplication app(argc, argv);
    DesktopDictationTest test(x);
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopDictationTest.moc"
