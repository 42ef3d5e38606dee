// The tasks, history, settings and meeting windows of the running app on a private X server, opened from
// the command line as a desktop key binding would: each at its size, once, showing the user's data.
// Screenshots go to the build folder (DICTRAVA_SCREENSHOTS overrides).
#include "support/IsolatedHome.h"
#include "support/PrivateSessionBus.h"
#include "support/PrivateXServer.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTest>

class DataWindowsDesktopTest : public QObject
{
    Q_OBJECT

public:
    explicit DataWindowsDesktopTest(const PrivateXServer &x) : m_x(x) {}

private slots:
    void initTestCase()
    {
        QVERIFY2(m_x.isRunning(), "Xvfb did not start");
        QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.errorString()));
        m_screenshots = qEnvironmentVariable("DICTRAVA_SCREENSHOTS", QDir::currentPath());
        // The user's data, made before the app starts.
        QCOMPARE(cli({u"capture"_qs, u"--text"_qs, u"call Sarah tomorrow at 3 about the lease"_qs}), 0);
        QCOMPARE(cli({u"dictate"_qs, u"--text"_qs, u"the quarterly numbers look good"_qs}), 0);

        m_app.setProcessEnvironment(environment());
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(DICTRAVA_APP), {});
        QTRY_VERIFY_WITH_TIMEOUT(appOutput().contains("[Shell] Ready"), 15000);
    }

    void cleanupTestCase()
    {
        m_app.terminate();
        if (!m_app.waitForFinished(5000))
            m_app.kill();
    }

    void opensAtItsSizeOnce_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("listsData");
        QTest::newRow("tasks") << u"tasks"_qs << u"Tasks & Reminders"_qs << QSize(560, 480) << true;
        QTest::newRow("history") << u"history"_qs << u"History"_qs << QSize(640, 480) << true;
        QTest::newRow("settings") << u"settings"_qs << u"Dictrava Settings"_qs << QSize(520, 420) << false;
        QTest::newRow("meeting") << u"meeting"_qs << u"Meeting Mode"_qs << QSize(720, 560) << false;
    }

    void opensAtItsSizeOnce()
    {
        QFETCH(QString, id);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QFETCH(bool, listsData);

        QCOMPARE(cli({u"open"_qs, id}), 0);
        QRect frame;
        QTRY_VERIFY_WITH_TIMEOUT((frame = geometry(title)).isValid(), 10000);
        QCOMPARE(frame.size(), size);
        QCOMPARE(cli({u"open"_qs, id}), 0);
        QTest::qWait(300);
        QCOMPARE(windowIds(title).size(), 1);

        QTest::qWait(300); // the first frame
        const QImage shot = screenshot(u"window-"_qs + id + u".png"_qs);
        // The first rows of the list hold text where an empty window would show nothing.
        if (listsData)
            QVERIFY2(inkIn(shot, QRect(frame.topLeft() + QPoint(16, 80), QSize(240, 60))) > 40,
                     "no rows at the top of the list");
        QVERIFY(inkIn(shot, frame) > 400);
    }

private:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_x.environment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, m_bus.address());
        environment.insert(u"PULSE_SERVER"_qs, u"unix:/nonexistent"_qs);
        environment.insert(u"LC_ALL"_qs, u"en_US.UTF-8"_qs);
        return environment;
    }

    int cli(const QStringList &arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QStringLiteral(DICTRAVA_CLI), arguments);
        return process.waitForFinished(30000) ? process.exitCode() : -1;
    }

    QStringList windowIds(const QString &title) const
    {
        QByteArray out;
        m_x.run(u"xdotool"_qs, {u"search"_qs, u"--onlyvisible"_qs, u"--name"_qs, u'^' + title + u'$'}, &out);
        return QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
    }

    // Where the window of that title is on screen; invalid while there is none.
    QRect geometry(const QString &title) const
    {
        const QStringList ids = windowIds(title);
        if (ids.isEmpty())
            return {};
        QByteArray out;
        m_x.run(u"xdotool"_qs, {u"getwindowgeometry"_qs, u"--shell"_qs, ids.first()}, &out);
        QHash<QString, int> values;
        for (const QString &line : QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts))
            values.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return {values.value(u"X"_qs), values.value(u"Y"_qs), values.value(u"WIDTH"_qs),
                values.value(u"HEIGHT"_qs)};
    }

    QImage screenshot(const QString &name) const
    {
        const QString file = QDir(m_screenshots).filePath(name);
        [&] { QCOMPARE(m_x.run(u"import"_qs, {u"-window"_qs, u"root"_qs, file}), 0); }();
        return QImage(file);
    }

    // Pixels dark or saturated enough to be text or a symbol, rather than a background.
    static int inkIn(const QImage &image, const QRect &area)
    {
        int ink = 0;
        const QRect inside = area.intersected(image.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const QColor colour(image.pixel(x, y));
                ink += colour.lightness() < 140 || colour.saturation() > 120 ? 1 : 0;
            }
        }
        return ink;
    }

    QByteArray appOutput()
    {
        m_appOutput += m_app.readAllStandardOutput();
        return m_appOutput;
    }

    const PrivateXServer &m_x;
    IsolatedHome m_home;
    PrivateSessionBus m_bus;
    QString m_screenshots;
    QProcess m_app;
    QByteArray m_appOutput;
};

int main(int argc, char *argv[])
{
    const PrivateXServer x;
    x.useInThisProcess();
    QGuiApplication app(argc, argv);
    DataWindowsDesktopTest test(x);
    return QTest::qExec(&test, argc, argv);
}

#include "DataWindowsDesktopTest.moc"
