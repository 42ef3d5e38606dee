#include "usage/UsageReporter.h"
#include "TestRegistry.h"
#include "support/RecordingHttpServer.h"
#include "usage/MachineName.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kStart(QDate(2026, 12, 5), QTime(10, 4, 13, 678), QTimeZone(3600));

// A reporter on a settings file of its own, with the clock at kStart, sending to `server`.
struct Fixture
{
    RecordingHttpServer server;
    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"Dictrava.conf"_s), QSettings::IniFormat};
    ManualClock clock{kStart};
    UsageReporter reporter{settings, clock};

    explicit Fixture(bool send = true)
    {
        if (send)
            sendTo(server.url());
    }
    void sendTo(const QUrl &url)
    {
        reporter.setEndpointProvider([url] { return UsageReporter::endpointFromText(url.toString()); });
    }
    qsizetype inFlight() const { return reporter.findChildren<QNetworkReply *>().size(); }
    // "event ts" of each request, sorted: parallel connections may deliver out of order.
    QStringList received()
    {
        QStringList lines;
        for (const HttpRequest &request : std::as_const(server.requests))
            lines << request.json().value(u"event"_s).toString() + u' ' +
                         request.json().value(u"ts"_s).toString();
        lines.sort();
        return lines;
    }
};

} // namespace

class UsageReporterTest : public QObject
{
    Q_OBJECT

private slots:
    void pingCarriesTheBodyAndHeader()
    {
        Fixture f;
        f.settings.setValue(u"userDisplayName"_s, u"Maya Lin"_s);
        f.reporter.report(u"dictation"_s, {{u"chars"_s, 42}});
        QTRY_COMPARE(f.server.requests.size(), 1);
        const HttpRequest request = f.server.requests.first();
        QVERIFY2(request.head.startsWith("post /api/track http/1.1\r\n"), request.head);
        QVERIFY2(request.head.contains("\r\ncontent-type: application/json\r\n"), request.head);
        QVERIFY2(!request.body.contains('\n') && !request.body.contains(": "), request.body); // compact
        QVERIFY2(request.body.contains("\"chars\":42,") || request.body.contains("\"chars\":42}"),
                 request.body); // an integer, not 42.0
        QCOMPARE(request.json(), (QJsonObject{{u"deviceId"_s, f.reporter.deviceId()},
                                              {u"event"_s, u"dictation"_s},
                                              {u"user"_s, u"Maya Lin"_s},
                                              {u"host"_s, MachineName::displayName()},
                                              {u"appVersion"_s, QStringLiteral(DICTRAVA_VERSION)},
                                              {u"ts"_s, u"2026-12-05T09:04:13Z"_s},
                                              {u"chars"_s, 42}}));
    }

    void throttle_data()
    {
        // Steps are "event@seconds after the start"; `sent` lists those that must go out.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("sent");
        const auto row = [](const char *tag, const QString &steps, const QString &sent) {
            QTest::newRow(tag) << steps.split(u' ') << sent.split(u' ');
        };
        row("0, 30, 70 s", u"dictation@0 dictation@30 dictation@70"_s, u"dictation@0 dictation@70"_s);
        row("exactly a minute", u"capture@0 capture@60"_s, u"capture@0 capture@60"_s);
        row("dropped ping keeps the window", u"focus@0 focus@59 focus@60 focus@119"_s, u"focus@0 focus@60"_s);
        row("per event name", u"dictation@0 focus@1 dictation@2"_s, u"dictation@0 focus@1"_s);
        row("launch never held back", u"launch@0 launch@1 launch@1"_s, u"launch@0 launch@1 launch@1"_s);
        row("clock set back an hour", u"briefing@0 briefing@-3600 briefing@-3590"_s,
            u"briefing@0 briefing@-3600"_s);
    }

    void throttle()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, sent);
        Fixture f;
        const auto at = [](const QString &step) { return kStart.addSecs(step.section(u'@', 1).toInt()); };
        for (const QString &step : std::as_const(steps)) {
            f.clock.set(at(step));
            f.reporter.report(step.section(u'@', 0, 0));
        }
        QTRY_COMPARE(f.server.requests.size(), sent.size());
        QTest::qWait(100); // and no more
        QStringList expected;
        for (const QString &step : std::as_const(sent))
            expected << step.section(u'@', 0, 0) + u' ' + at(step).toUTC().toString(Qt::ISODate);
        expected.sort();
        QCOMPARE(f.received(), expected);
        QCOMPARE(f.server.requests[0].json().value(u"user"_s), QJsonValue(u""_s)); // no display name stored
    }

    void unusableEndpointSendsAndRecordsNothing_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::newRow("switched off") << QString();
        QTest::newRow("no scheme") << u"localhost:8787/api/track"_s;
        QTest::newRow("no host") << u"http:///api/track"_s;
        QTest::newRow("space in host") << u"http://exa mple.org/api/track"_s;
        QTest::newRow("file") << u"file:///tmp/usage.json"_s;
    }

    void unusableEndpointSendsAndRecordsNothing()
    {
        QFETCH(QString, endpoint);
        QVERIFY(!UsageReporter::endpointFromText(endpoint));
        Fixture f(false);
        f.reporter.report(u"dictation"_s); // no provider yet
        // A provider that hands over the text's URL unchecked is still not followed.
        const auto url = endpoint.isNull() ? std::nullopt : std::optional<QUrl>(QUrl(endpoint));
        f.reporter.setEndpointProvider([url] { return url; });
        f.reporter.report(u"dictation"_s);
        QCOMPARE(f.inFlight(), 0);
        f.clock.advance(1); // switched on a second later, the event goes out: nothing was recorded
        f.sendTo(f.server.url());
        f.reporter.report(u"dictation"_s);
        QTRY_COMPARE(f.server.requests.size(), 1);
    }

    void deadEndpointsNeitherBlockNorPileUp()
    {
        RecordingHttpServer hanging(false);
        QTcpServer probe; // a port that was free a moment ago refuses connections
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QUrl refused(u"http://127.0.0.1:%1/api/track"_s.arg(probe.serverPort()));
        probe.close();

        Fixture f(false);
        QElapsedTimer timer;
        timer.start();
        f.sendTo(refused);
        f.reporter.report(u"dictation"_s);
        f.sendTo(hanging.url());
        f.reporter.report(u"capture"_s);
        QTRY_COMPARE(hanging.requests.size(), 1);
        f.sendTo(f.server.url()); // later pings go out while one still hangs
        f.reporter.report(u"focus"_s);
        QTRY_COMPARE(f.server.requests.size(), 1);
        QCOMPARE(hanging.closedByClient, 0);
        QTRY_COMPARE_WITH_TIMEOUT(hanging.closedByClient, 1, 10000); // given up after 5 s
        QVERIFY2(timer.elapsed() >= 4500, "gave up before the time-out");
        QTRY_COMPARE(f.inFlight(), 0);
    }

    void deviceIdIsMadeOnceAndKept()
    {
        Fixture f(false);
        const auto id = [&] { return UsageReporter(f.settings, f.clock).deviceId(); };
        const QString first = f.reporter.deviceId();
        QCOMPARE(first, first.toUpper());
        QCOMPARE(QUuid::fromString(first).toString(QUuid::WithoutBraces), first.toLower());
        QFile onDisk(f.settings.fileName()); // stored at once, not only when the settings go away
        QVERIFY(onDisk.open(QIODevice::ReadOnly) && onDisk.readAll().contains(first.toUtf8()));
        QCOMPARE(id(), first);
        f.settings.remove(u"dictrava.deviceId"_s);
        const QString second = id();
        QVERIFY(second != first);
        QCOMPARE(f.settings.value(u"dictrava.deviceId"_s).toString(), second);
        f.settings.setValue(u"dictrava.deviceId"_s, QString()); // an emptied value counts as none
        QCOMPARE(id().size(), 36);
    }

    void machineName_data()
    {
        QTest::addColumn<QByteArray>("machineInfo"); // empty: no file
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const QByteArray &info, const QString &expected) {
            QTest::newRow(tag) << info << u"vm-42"_s << expected;
        };
        row("double quotes", "PRETTY_HOSTNAME=\"Maya's Laptop\"", u"Maya's Laptop"_s);
        row("single quotes", "PRETTY_HOSTNAME='Studio \"B\" $HOME'", u"Studio \"B\" $HOME"_s);
        row("escapes in double quotes", "PRETTY_HOSTNAME=\"Say \\\"hi\\\" \\\\ \\$5 \\n\"",
            u"Say \"hi\" \\ $5 \\n"_s);
        row("escapes unquoted", "PRETTY_HOSTNAME=Desk\\ 7\\\\", u"Desk 7\\"_s);
        row("escaped final space", "PRETTY_HOSTNAME=Desk\\ \n", u"Desk"_s);
        row("among other keys, CRLF, last wins",
            "# set by hostnamectl\r\nPRETTY_HOSTNAME=Old\r\nCHASSIS=laptop\r\n PRETTY_HOSTNAME = "
            "\"Café Mac\"\r\nPRETTY_HOSTNAME_2=No\r\n;PRETTY_HOSTNAME=Commented\r\n",
            u"Café Mac"_s);
        row("blank pretty name", "PRETTY_HOSTNAME=\"  \"\n", u"vm-42"_s);
        row("no file", {}, u"vm-42"_s);
        QTest::newRow("no name at all") << QByteArray() << QString() << u"mac"_s;
    }

    void machineName()
    {
        QFETCH(QByteArray, machineInfo);
        QFETCH(QString, hostName);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"machine-info"_s));
        if (!machineInfo.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(machineInfo) == machineInfo.size());
        file.close();
        QTEST(MachineName::displayName(file.fileName(), hostName), "expected");
    }
};

DICTRAVA_TEST(UsageReporterTest)
#include "UsageReporterTest.moc"
