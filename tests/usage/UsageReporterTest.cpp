#include "usage/UsageReporter.h"
#include "support/RecordingHttpServer.h"
#include "usage/MachineName.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kStart(QDate(2026, 12, 5), QTime(10, 4, 13, 678), QTimeZone(3600));

qsizetype inFlight(const UsageReporter &reporter)
{
    return reporter.findChildren<QNetworkReply *>().size();
}

// A reporter on a settings file of its own, with the clock at kStart.
struct Fixture
{
    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"Dictrava.conf"_s), QSettings::IniFormat};
    ManualClock clock{kStart};
    UsageReporter reporter{settings, clock};

    void sendTo(const QUrl &url)
    {
        reporter.setEndpointProvider([url] { return UsageReporter::endpointFromText(url.toString()); });
    }
};

} // namespace

class UsageReporterTest : public QObject
{
    Q_OBJECT

private slots:
    void pingCarriesTheBodyAndHeader()
    {
        RecordingHttpServer server;
        Fixture f;
        f.settings.setValue(u"userDisplayName"_s, u"Maya Lin"_s);
        f.sendTo(server.url());
        f.reporter.report(u"dictation"_s, {{u"chars"_s, 42}});
        QTRY_COMPARE(server.requests.size(), 1);

        const HttpRequest request = server.requests.first();
        QVERIFY2(request.head.startsWith("post /api/track http/1.1\r\n"), request.head);
        QVERIFY2(request.head.contains("\r\ncontent-type: application/json\r\n"), request.head);
        QVERIFY2(!request.body.contains('\n') && !request.body.contains(": "), request.body); // compact
        QVERIFY2(request.body.contains("\"chars\":42,") || request.body.contains("\"chars\":42}"),
                 request.body); // an integer, not 42.0
        const QJsonObject expected{
            {u"deviceId"_s, f.reporter.deviceId()},
            {u"event"_s, u"dictation"_s},
            {u"user"_s, u"Maya Lin"_s},
            {u"host"_s, MachineName::displayName()},
            {u"appVersion"_s, QStringLiteral(DICTRAVA_VERSION)},
            {u"ts"_s, u"2026-12-05T09:04:13Z"_s},
            {u"chars"_s, 42},
        };
        QCOMPARE(request.json(), expected);
    }

    void extraEntriesWinButTheThrottleKeepsTheEventName()
    {
        RecordingHttpServer server;
        Fixture f;
        f.sendTo(server.url());
        f.reporter.report(u"dictation"_s, {{u"event"_s, u"renamed"_s}});
        f.clock.advance(1);
        f.reporter.report(u"dictation"_s); // held back
        f.reporter.report(u"renamed"_s);
        QTRY_COMPARE(server.requests.size(), 2);
        QTest::qWait(100);
        QCOMPARE(server.requests.size(), 2);
        for (const HttpRequest &request : std::as_const(server.requests)) {
            QCOMPARE(request.json().value(u"event"_s).toString(), u"renamed"_s);
            QCOMPARE(request.json().value(u"user"_s), QJsonValue(u""_s)); // no display name stored
        }
    }

    void throttle_data()
    {
        // Steps are "event@seconds after the start"; `sent` lists those that must go out.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("0, 30, 70 s") << QStringList{u"dictation@0"_s, u"dictation@30"_s, u"dictation@70"_s}
                                     << QStringList{u"dictation@0"_s, u"dictation@70"_s};
        QTest::newRow("exactly a minute")
            << QStringList{u"capture@0"_s, u"capture@60"_s} << QStringList{u"capture@0"_s, u"capture@60"_s};
        QTest::newRow("dropped ping keeps the window")
            << QStringList{u"focus@0"_s, u"focus@59"_s, u"focus@60"_s, u"focus@119"_s}
            << QStringList{u"focus@0"_s, u"focus@60"_s};
        QTest::newRow("per event name") << QStringList{u"dictation@0"_s, u"focus@1"_s, u"dictation@2"_s}
                                        << QStringList{u"dictation@0"_s, u"focus@1"_s};
        QTest::newRow("launch never held back") << QStringList{u"launch@0"_s, u"launch@1"_s, u"launch@1"_s}
                                                << QStringList{u"launch@0"_s, u"launch@1"_s, u"launch@1"_s};
        QTest::newRow("clock set back an hour")
            << QStringList{u"briefing@0"_s, u"briefing@-3600"_s, u"briefing@-3590"_s}
            << QStringList{u"briefing@0"_s, u"briefing@-3600"_s};
    }

    void throttle()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, sent);
        RecordingHttpServer server;
        Fixture f;
        f.sendTo(server.url());
        const auto at = [](const QString &step) { return kStart.addSecs(step.section(u'@', 1).toInt()); };
        for (const QString &step : std::as_const(steps)) {
            f.clock.set(at(step));
            f.reporter.report(step.section(u'@', 0, 0));
        }
        QTRY_COMPARE(server.requests.size(), sent.size());
        QTest::qWait(100); // and no more
        QStringList received;
        QStringList expected;
        for (const HttpRequest &request : std::as_const(server.requests))
            received << request.json().value(u"event"_s).toString() + u' ' +
                            request.json().value(u"ts"_s).toString();
        for (const QString &step : std::as_const(sent))
            expected << step.section(u'@', 0, 0) + u' ' + at(step).toUTC().toString(Qt::ISODate);
        received.sort(); // parallel connections may deliver out of order
        expected.sort();
        QCOMPARE(received, expected);
    }

    void unusableEndpointSendsAndRecordsNothing_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::newRow("switched off") << QString();
        QTest::newRow("words") << u"not a url"_s;
        QTest::newRow("no scheme") << u"localhost:8787/api/track"_s;
        QTest::newRow("no host") << u"http:///api/track"_s;
        QTest::newRow("space in host") << u"http://exa mple.org/api/track"_s;
        QTest::newRow("file") << u"file:///tmp/usage.json"_s;
    }

    void unusableEndpointSendsAndRecordsNothing()
    {
        QFETCH(QString, endpoint);
        QVERIFY(!UsageReporter::endpointFromText(endpoint));
        RecordingHttpServer server;
        Fixture f;
        f.reporter.report(u"dictation"_s); // no provider yet
        // A provider that hands over the text's URL unchecked is still not followed.
        const auto url = endpoint.isNull() ? std::nullopt : std::optional<QUrl>(QUrl(endpoint));
        f.reporter.setEndpointProvider([url] { return url; });
        f.reporter.report(u"dictation"_s);
        QCOMPARE(inFlight(f.reporter), 0);

        f.clock.advance(1); // switched on a second later, the event goes out: nothing was recorded
        f.sendTo(server.url());
        f.reporter.report(u"dictation"_s);
        QTRY_COMPARE(server.requests.size(), 1);
    }

    void deadEndpointsNeitherBlockNorPileUp()
    {
        RecordingHttpServer live, hanging(false);
        QTcpServer probe; // a port that was free a moment ago refuses connections
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QUrl refused(u"http://127.0.0.1:%1/api/track"_s.arg(probe.serverPort()));
        probe.close();

        Fixture f;
        QElapsedTimer timer;
        timer.start();
        f.sendTo(refused);
        f.reporter.report(u"dictation"_s);
        f.sendTo(hanging.url());
        f.reporter.report(u"capture"_s);
        QVERIFY2(timer.elapsed() < 500, "report() waited for the network");
        QTRY_COMPARE(hanging.requests.size(), 1);

        f.sendTo(live.url()); // later pings go out while one still hangs
        f.reporter.report(u"focus"_s);
        QTRY_COMPARE(live.requests.size(), 1);
        QCOMPARE(hanging.closedByClient, 0);

        QTRY_COMPARE_WITH_TIMEOUT(hanging.closedByClient, 1, 10000); // given up after 5 s
        QVERIFY2(timer.elapsed() >= 4500, "gave up before the time-out");
        QTRY_COMPARE(inFlight(f.reporter), 0);
    }

    void deviceIdIsMadeOnceAndKept()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"Dictrava.conf"_s);
        ManualClock clock;
        QSettings settings(file, QSettings::IniFormat);
        const QString first = UsageReporter(settings, clock).deviceId();
        QCOMPARE(first, first.toUpper());
        QCOMPARE(QUuid::fromString(first).toString(QUuid::WithoutBraces), first.toLower());
        QFile onDisk(file); // stored at once, not only when the settings object goes away
        QVERIFY(onDisk.open(QIODevice::ReadOnly) && onDisk.readAll().contains(first.toUtf8()));

        QCOMPARE(UsageReporter(settings, clock).deviceId(), first);
        settings.remove(u"dictrava.deviceId"_s);
        const QString second = UsageReporter(settings, clock).deviceId();
        QVERIFY(second != first);
        QCOMPARE(settings.value(u"dictrava.deviceId"_s).toString(), second);
        settings.setValue(u"dictrava.deviceId"_s, QString()); // an emptied value counts as none
        QCOMPARE(UsageReporter(settings, clock).deviceId().size(), 36);
    }

    void machineName_data()
    {
        QTest::addColumn<QByteArray>("machineInfo"); // empty: no file
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("expected");
        const QString host = u"vm-42"_s;
        QTest::newRow("plain") << QByteArray("PRETTY_HOSTNAME=Maya Laptop\n") << host << u"Maya Laptop"_s;
        QTest::newRow("double quotes")
            << QByteArray("PRETTY_HOSTNAME=\"Maya's Laptop\"") << host << u"Maya's Laptop"_s;
        QTest::newRow("single quotes")
            << QByteArray("PRETTY_HOSTNAME='Studio \"B\" $HOME'") << host << u"Studio \"B\" $HOME"_s;
        QTest::newRow("escapes in double quotes")
            << QByteArray("PRETTY_HOSTNAME=\"Say \\\"hi\\\" \\\\ \\$5 \\n\"") << host
            << u"Say \"hi\" \\ $5 \\n"_s;
        QTest::newRow("escapes unquoted")
            << QByteArray("PRETTY_HOSTNAME=Desk\\ 7\\\\") << host << u"Desk 7\\"_s;
        QTest::newRow("escaped final space") << QByteArray("PRETTY_HOSTNAME=Desk\\ \n") << host << u"Desk"_s;
        QTest::newRow("among other keys, CRLF, last wins")
            << QByteArray(
                   "# set by hostnamectl\r\nPRETTY_HOSTNAME=Old\r\nCHASSIS=laptop\r\n PRETTY_HOSTNAME = "
                   "\"Café Mac\"\r\nPRETTY_HOSTNAME_2=No\r\n;PRETTY_HOSTNAME=Commented\r\n")
            << host << u"Café Mac"_s;
        QTest::newRow("blank pretty name") << QByteArray("PRETTY_HOSTNAME=\"  \"\n") << host << host;
        QTest::newRow("no file") << QByteArray() << host << host;
        QTest::newRow("no name at all") << QByteArray() << QString() << u"mac"_s;
    }

    void machineName()
    {
        QFETCH(QByteArray, machineInfo);
        QFETCH(QString, hostName);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"machine-info"_s));
        if (!machineInfo.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(machineInfo) == machineInfo.size());
        file.close();
        QCOMPARE(MachineName::displayName(file.fileName(), hostName), expected);
    }
};

QTEST_GUILESS_MAIN(UsageReporterTest)
#include "UsageReporterTest.moc"
