// The desktop app on a wlroots compositor as a user has it: dictrava running natively on a headless
// sway with the README's bindings, a real sound server and session bus, a GTK field of another
// program focused, Right Alt held on a keyboard while speaking. The user's clipboard, two types
// of it, is owned by this test as another application would own it.
#include "platform/WaylandConnection.h"
#include "platform/WaylandVirtualKeyboard.h"
#include "platform/WlrDataControlPasteboard.h"
#include "support/IsolatedHome.h"
#include "support/LaunchedApp.h"
#include "support/PrivatePulseServer.h"
#include "support/PrivateSessionBus.h"
#include "support/PrivateWaylandCompositor.h"
#include "support/RenderedSpeech.h"
#include "support/TestNotificationServer.h"
#include "support/WaylandTextField.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr uint32_t keyRightAlt = 100; // evdev; X and sway call it key code 108

// The README's lines for sway, with the command line tool where this build has it.
QStringList swayConfiguration()
{
    const QString cli = QStringLiteral(DICTRAVA_CLI);
    return {
        u"bindcode --no-repeat 108 exec "_qs + cli + u" ptt start"_qs,
        u"bindcode --release 108 exec "_qs + cli + u" ptt stop"_qs,
        u"for_window [app_id=\"^dictrava$\"] floating enable"_qs,
        u"no_focus [app_id=\"^dictrava$\"]"_qs,
    };
}

const PasteboardSnapshot usersContent{
    {u"text/plain;charset=utf-8"_qs, "what the user copied"},
    {u"image/png"_qs, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR picture", 25)},
};

} // namespace

class WaylandDictationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!m_sway.isRunning())
            QSKIP(qPrintable(m_sway.errorString()));
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.errorString()));
        QVERIFY2(m_pulse.isRunning(), qPrintable(m_pulse.errorString()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        QVERIFY(m_notifications.registerOn(m_bus.connect()));

        // The user's keyboard, and the application that owns what the user copied.
        m_connection = WaylandConnection::open(m_sway.socket());
        QVERIFY(m_connection);
        m_keyboard = WaylandVirtualKeyboard::create(*m_connection);
        m_clipboard = WlrDataControlPasteboard::create(*m_connection);
        QVERIFY(m_keyboard && m_clipboard);

        m_app.setEnvironment(environment());
        QVERIFY(m_app.start());
        QVERIFY2(m_app.output().contains("[Shell] Desktop backend: wlroots"), m_app.output().constData());

        m_field = std::make_unique<WaylandTextField>(environment());
        QTRY_VERIFY_WITH_TIMEOUT(m_field->wasFocused(), 15000);
    }

    void cleanupTestCase()
    {
        m_field.reset();
        m_app.stop();
    }

    void dictationLandsInTheFieldAndTheClipboardComesBack()
    {
        m_clipboard->restore(usersContent);
        QVERIFY(m_field->clear());

        const QString said = u"please send the report to the team"_qs;
        m_keyboard->sendKey(keyRightAlt, true);
        QTRY_VERIFY_WITH_TIMEOUT(status().value(u"isDictating"_qs).toBool(), 10000);
        QVERIFY(m_pulse.feedFile(speechFile(said)));
        m_pulse.feedSilence(0.6);
        QVERIFY(m_pulse.waitUntilFed());
        m_keyboard->sendKey(keyRightAlt, false);

        QTRY_VERIFY_WITH_TIMEOUT(wordOverlap(said, m_field->text()) >= 0.7, 15000);
        QVERIFY2(m_field->text().front().isUpper() && m_field->text().endsWith(u'.'),
                 qPrintable(m_field->text()));

        // Once the restore is due, another client reads exactly the user's types and bytes.
        QTRY_COMPARE_WITH_TIMEOUT(pasted(u"text/plain;charset=utf-8"_qs), usersContent[0].data, 5000);
        QCOMPARE(pastedTypes(), (QStringList{usersContent[0].type, usersContent[1].type}));
        QCOMPARE(pasted(u"image/png"_qs), usersContent[1].data);
        QVERIFY(!status().value(u"isDictating"_qs).toBool());
    }

private:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_sway.environment();
        environment.insert(u"PULSE_SERVER"_qs, m_pulse.serverAddress());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, m_bus.address());
        return environment;
    }

    QJsonObject status() const { return m_app.status(); }

    QByteArray pasted(const QString &type) const
    {
        QByteArray output;
        return m_sway.run(u"wl-paste"_qs, {u"--no-newline"_qs, u"--type"_qs, type}, &output) == 0
                   ? output
                   : QByteArray();
    }

    QStringList pastedTypes() const
    {
        QByteArray output;
        m_sway.run(u"wl-paste"_qs, {u"--list-types"_qs}, &output);
        return QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
    }

    QString speechFile(const QString &text)
    {
        const QString path = m_files.filePath(QString::number(++m_fileCount) + u".wav"_qs);
        return renderSpeechFile(u"slt"_qs, text, path) ? path : QString();
    }

    IsolatedHome m_home;
    // The bindings run the command line tool as the compositor's user, who must reach the bus.
    PrivateSessionBus m_bus{PrivateSessionBus::Access::EveryUser};
    PrivateWaylandCompositor m_sway{swayConfiguration(), busEnvironment(m_bus)};
    TestNotificationServer m_notifications;
    PrivatePulseServer m_pulse;
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<WaylandVirtualKeyboard> m_keyboard;
    std::unique_ptr<WlrDataControlPasteboard> m_clipboard;
    QTemporaryDir m_files;
    int m_fileCount = 0;
    LaunchedApp m_app;
    std::unique_ptr<WaylandTextField> m_field;

    static QProcessEnvironment busEnvironment(const PrivateSessionBus &bus)
    {
        QProcessEnvironment environment;
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, bus.address());
        return environment;
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    WaylandDictationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WaylandDictationTest.moc"
