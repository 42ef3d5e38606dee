// The app's data as an unlucky user's is treated: a second writer, a kill right after an answer,
// a full disk, an oversized request, the X server going away.
#include "TestRegistry.h"
#include "support/IsolatedHome.h"
#include "support/LaunchedApp.h"
#include "support/PrivateSessionBus.h"
#include "support/PrivateXServer.h"
#include "support/TinyTmpfs.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <memory>

class DataSafetyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.errorString()));
        QVERIFY2(m_x.isRunning(), "Xvfb did not start");
    }

    void cleanup() { stopApp(); }

    // Another Dictrava holds the folder and cannot be reached (no common session bus): the app
    // and the command line both refuse rather than write beside it.
    void secondWriterIsRefused()
    {
        startApp();
        QProcessEnvironment elsewhere = environment(m_x.display());
        elsewhere.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, u"unix:path=/nonexistent/bus"_qs);
        for (const QString &program : {QStringLiteral(DICTRAVA_APP), QStringLiteral(DICTRAVA_CLI)}) {
            QProcess second;
            second.setProcessEnvironment(elsewhere);
            second.start(program, program.endsWith(u"cli")
                                      ? QStringList{u"capture"_qs, u"--text"_qs, u"call Tom"_qs}
                                      : QStringList());
            QVERIFY(second.waitForFinished(30000));
            QCOMPARE(second.exitCode(), 1);
            QVERIFY2(second.readAllStandardError().contains("another Dictrava is using"),
                     qPrintable(program));
        }
        QCOMPARE(m_app.process().state(), QProcess::Running);
    }

    // Process answers once its records are on disk: a kill right after the answer loses none.
    void answeredCapturesSurviveAKill()
    {
        constexpr int kRuns = 4;
        for (int run = 0; run < kRuns; ++run) {
            startApp();
            QCOMPARE(cli({u"capture"_qs, u"--text"_qs, u"call person %1"_qs.arg(run)}).exitCode, 0);
            m_app.process().kill();
            QVERIFY(m_app.process().waitForFinished(10000));
        }
        QFile tasks(m_home.dataFolder() + u"/tasks.json"_qs);
        QVERIFY(tasks.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(tasks.readAll()).array().size(), kRuns);
    }

    void oversizedRequestIsInvalidArgs()
    {
        startApp();
        QDBusMessage call = QDBusMessage::createMethodCall(
            u"com.korvo.Dictrava"_qs, u"/com/korvo/Dictrava"_qs, u"com.korvo.Dictrava"_qs, u"Process"_qs);
        call.setArguments({u"capture"_qs, u"call Maya "_qs.repeated(7000)});
        const QDBusMessage reply = m_bus.connect().call(call, QDBus::Block, 20000);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QDBusError::errorString(QDBusError::InvalidArgs));
        QCOMPARE(status().value(u"lastResult"_qs).toString(), QString()); // nothing was processed
    }

    void fullDiskReachesTheStatusLine()
    {
        TinyTmpfs disk(m_home.dataFolder(), 256 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.whyNot()));
        startApp();
        QVERIFY(disk.fill());
        const CliRun failed = cli({u"capture"_qs, u"--text"_qs, u"call Maya"_qs});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.err.contains("Could not save your tasks: disk full"), failed.err.constData());
        // History and tasks both failed; the line shows the last of them.
        QTRY_VERIFY_WITH_TIMEOUT(
            status().value(u"statusMessage"_qs).toString().startsWith(u"Could not save your "_qs), 5000);
        QVERIFY(status().value(u"statusMessage"_qs).toString().endsWith(u": disk full"_qs));

        disk.freeSpace();
        QCOMPARE(cli({u"capture"_qs, u"--text"_qs, u"call Tom"_qs}).exitCode, 0);
        stopApp();
        QFile tasks(m_home.dataFolder() + u"/tasks.json"_qs);
        QVERIFY(tasks.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(tasks.readAll()).array().size(), 2); // Maya's was kept in memory
    }

    // The X server goes away under the app: it ends through its event loop with status 1,
    // never by a signal.
    void displayLossEndsTheApp()
    {
        for (int run = 0; run < 2; ++run) {
            auto x = std::make_unique<PrivateXServer>();
            QVERIFY(x->isRunning());
            startApp(x->display());
            x.reset();
            QVERIFY(m_app.process().waitForFinished(20000));
            QCOMPARE(m_app.process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(m_app.process().exitCode(), 1);
        }
    }

private:
    QProcessEnvironment environment(const QByteArray &display) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DISPLAY"_qs, QString::fromLatin1(display));
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, m_bus.address());
        environment.insert(u"PULSE_SERVER"_qs, u"unix:/nonexistent/pulse"_qs);
        return environment;
    }

    void startApp(const QByteArray &display = {})
    {
        m_app.setEnvironment(environment(display.isEmpty() ? m_x.display() : display));
        QVERIFY(m_app.start());
    }
    void stopApp() { m_app.stop(); }
    CliRun cli(const QStringList &arguments) const { return m_app.cli(arguments); }
    QJsonObject status() const { return m_app.status(); }

    IsolatedHome m_home;
    PrivateSessionBus m_bus;
    PrivateXServer m_x;
    LaunchedApp m_app;
};

DICTRAVA_TEST(DataSafetyTest)
#include "DataSafetyTest.moc"
