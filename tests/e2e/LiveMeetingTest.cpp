// A live meeting as a user has it: dictrava on an X server with a session bus and a sound server
// whose microphone plays two rendered voices, driven from the command line.
#include "TestRegistry.h"
#include "platform/SpeechModel.h"
#include "support/IsolatedHome.h"
#include "support/LaunchedApp.h"
#include "support/PrivatePulseServer.h"
#include "support/PrivateSessionBus.h"
#include "support/PrivateXServer.h"
#include "support/RenderedSpeech.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class LiveMeetingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"flite"_s).isEmpty() || !findSpeechModel(u"en_US"_s))
            QSKIP("flite and the pocketsphinx-en-us model are needed (scripts/setup.sh installs them)");
        QVERIFY2(m_x.isRunning(), "Xvfb did not start");
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.errorString()));
        QVERIFY2(m_pulse.isRunning(), qPrintable(m_pulse.errorString()));
        QProcessEnvironment environment = m_x.environment();
        environment.insert(u"PULSE_SERVER"_s, m_pulse.serverAddress());
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_bus.address());
        m_app.setEnvironment(environment);
        QVERIFY(m_app.start());
    }

    // The microphone hears two voices; the transcript, the chips and the notes follow.
    void liveMeetingFromTheMicrophone()
    {
        QCOMPARE(cli({u"meeting"_s, u"start"_s}).exitCode, 0);
        QCOMPARE(cli({u"ptt"_s, u"start"_s}).exitCode, 0); // refused while the meeting runs
        QTRY_VERIFY_WITH_TIMEOUT(cli({u"status"_s}).out.contains("Meeting Mode is running"), 5000);
        const QList<QPair<QString, QString>> lines{
            {u"slt"_s, u"good morning everyone, my name is sarah"_s},
            {u"rms"_s, u"we will ship the new design on friday"_s},
            {u"slt"_s, u"the numbers from last month look very good"_s},
        };
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const auto &[voice, text] = lines[i];
            const QString path = m_files.filePath(QString::number(i) + u".wav"_s);
            QVERIFY(renderSpeechFile(voice, text, path));
            QVERIFY(m_pulse.feedFile(path));
            m_pulse.feedSilence(2.0);
        }
        QVERIFY(m_pulse.waitUntilFed(60000));
        QByteArray notes;
        QTRY_VERIFY_WITH_TIMEOUT((notes = cli({u"meeting"_s, u"notes"_s}).out).count("**") >= 6, 20000);
        QVERIFY2(notes.contains("Speaker 2") && !notes.contains("Speaker 3"), notes.constData());
        QVERIFY2(notes.contains("## Action items"), notes.constData());

        QCOMPARE(cli({u"meeting"_s, u"stop"_s}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_home.dataFolder() + u"/Meetings"_s).isEmpty(QDir::Files), 10000);
    }

private:
    CliRun cli(const QStringList &arguments) const { return m_app.cli(arguments); }

    const PrivateXServer m_x;
    IsolatedHome m_home;
    PrivateSessionBus m_bus;
    PrivatePulseServer m_pulse{PrivatePulseOptions{48000, 1, true}};
    QTemporaryDir m_files;
    LaunchedApp m_app;
};

DICTRAVA_TEST(LiveMeetingTest)
#include "LiveMeetingTest.moc"
