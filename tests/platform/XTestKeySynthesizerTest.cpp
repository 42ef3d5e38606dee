// The paste shortcut on a real X server: a private Xvfb, a Tk text field with the focus that
// reports the keys it receives.
#include "platform/XTestKeySynthesizer.h"
#include "TestRegistry.h"
#include "support/PrivateXServer.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A window whose WM_CLASS names a terminal emulator, its entry focused; prints "ready", then
// "key <keysym> <ctrl> <shift>" for each key. (Ctrl+V into an ordinary field: DesktopDictationTest.)
const QString terminal = uR"(
import tkinter as tk
root = tk.Tk(className='Alacritty')
entry = tk.Entry(root)
entry.pack()
entry.bind('<KeyPress>', lambda e: print('key', e.keysym, int(bool(e.state & 4)), int(bool(e.state & 1)), flush=True))
def start():
    entry.focus_force()
    root.after(200, lambda: print('ready', flush=True))
root.after(200, start)
root.mainloop()
)"_s;

} // namespace

class XTestKeySynthesizerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_x.isRunning()); }

    void pastesWithShiftIntoATerminal()
    {
        QProcess field;
        field.setProcessEnvironment(m_x.environment());
        field.start(u"python3"_s, {u"-c"_s, terminal});
        QStringList lines;
        connect(&field, &QProcess::readyReadStandardOutput, [&] {
            while (field.canReadLine())
                lines << QString::fromUtf8(field.readLine().trimmed());
        });
        QTRY_VERIFY_WITH_TIMEOUT(lines.contains(u"ready"_s), 10000);

        XTestKeySynthesizer keys(m_x.display());
        QVERIFY(keys.isAvailable());
        keys.sendPaste();
        QTRY_VERIFY_WITH_TIMEOUT(lines.contains(u"key V 1 1"_s), 5000);
        field.kill();
        field.waitForFinished(3000);
    }

    // WM_CLASS as "instance|class".
    void terminalsPasteWithShift_data()
    {
        QTest::addColumn<QByteArray>("wmClass");
        QTest::addColumn<bool>("terminal");
        QTest::newRow("xterm") << "xterm|XTerm"_ba << true;
        QTest::newRow("st, class only") << "unknown|st-256color"_ba << true;
        QTest::newRow("wezterm, instance only") << "org.wezfurlong.wezterm|"_ba << true;
        QTest::newRow("editor") << "gedit|Gedit"_ba << false;
        QTest::newRow("name containing st") << "stellarium|Stellarium"_ba << false;
        QTest::newRow("no names") << "|"_ba << false;
    }

    void terminalsPasteWithShift()
    {
        QFETCH(QByteArray, wmClass);
        const QByteArrayList names = wmClass.split('|');
        QTEST(XTestKeySynthesizer::isTerminal(names.first(), names.last()), "terminal");
    }

    void displayGoingAwayLeavesItUnavailable()
    {
        auto server = std::make_unique<PrivateXServer>();
        XTestKeySynthesizer keys(server->display());
        QVERIFY(keys.isAvailable());
        server.reset();
        keys.sendPaste(); // the process survives the lost connection
        QVERIFY(!keys.isAvailable());
        QVERIFY(!XTestKeySynthesizer(":9999").isAvailable());
    }

private:
    const PrivateXServer m_x;
};

DICTRAVA_TEST(XTestKeySynthesizerTest)
#include "XTestKeySynthesizerTest.moc"
