// A key bound to `dictrava-cli ptt start` or `deck` works before the app runs: the session bus
// starts the app from its service file. Asking for the status, or stopping, never starts it.
#include "TestRegistry.h"
#include "platform/DBusControlService.h"
#include "support/IsolatedHome.h"
#include "support/LaunchedApp.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class BusActivationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The activated app inherits the bus's environment: no real display, the private home.
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        QFile service(m_services.filePath(u"com.korvo.Dictrava.service"_qs));
        QVERIFY(service.open(QIODevice::WriteOnly));
        service.write("[D-BUS Service]\nName=com.korvo.Dictrava\nExec=" DICTRAVA_APP "\n");
        service.close();
        m_bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::Access::ThisUser, m_services.path());
        QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->errorString()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->address().toUtf8());
        m_connection = std::make_unique<QDBusConnection>(m_bus->connect());
    }

    void cleanupTestCase()
    {
        if (!m_connection || !appRunning())
            return;
        const uint pid = m_connection->interface()->servicePid(DBusControlService::kServiceName).value();
        if (pid > 0)
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!appRunning(), 10000);
    }

    void askingOrStoppingDoesNotStartTheApp_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("status") << QStringList{u"status"_qs};
        QTest::newRow("ptt stop") << QStringList{u"ptt"_qs, u"stop"_qs};
        QTest::newRow("meeting stop") << QStringList{u"meeting"_qs, u"stop"_qs};
        QTest::newRow("meeting pause") << QStringList{u"meeting"_qs, u"pause"_qs};
    }

    void askingOrStoppingDoesNotStartTheApp()
    {
        QFETCH(QStringList, arguments);
        const CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("not running"));
        QVERIFY(!appRunning());
    }

    void deckStartsTheAppAndReachesIt()
    {
        QCOMPARE(cli({u"deck"_qs}).exitCode, 0);
        QVERIFY(appRunning());
        const CliRun status = cli({u"status"_qs});
        QCOMPARE(status.exitCode, 0);
        QVERIFY2(QJsonDocument::fromJson(status.out).object().value(u"deckVisible"_qs).toBool(),
                 status.out.constData());
    }

private:
    bool appRunning() const
    {
        return m_connection->interface()->isServiceRegistered(DBusControlService::kServiceName).value();
    }

    // Inherits the private bus from this process, as a key binding's command would.
    static CliRun cli(const QStringList &arguments) { return runCli(arguments); }

    IsolatedHome m_home;
    QTemporaryDir m_services;
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<QDBusConnection> m_connection;
};

DICTRAVA_TEST(BusActivationTest)
#include "BusActivationTest.moc"
