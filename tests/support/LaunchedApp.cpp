#include "support/LaunchedApp.h"

#include <QJsonDocument>
#include <QTest>

QJsonObject CliRun::json() const
{
    return QJsonDocument::fromJson(out.mid(out.lastIndexOf("\n{") + 1)).object();
}

CliRun runCli(const QStringList &arguments, const QProcessEnvironment &environment, const QByteArray &input)
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(QStringLiteral(DICTRAVA_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    CliRun run;
    if (process.waitForFinished(60000)) {
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
    }
    return run;
}

bool LaunchedApp::start()
{
    stop();
    m_output.clear();
    if (!m_environment.isEmpty())
        m_app.setProcessEnvironment(m_environment);
    m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_app.start(QStringLiteral(DICTRAVA_APP), {});
    return QTest::qWaitFor([this] { return output().contains("[Shell] Ready"); }, 30000) &&
           QTest::qWaitFor([this] { return !status().isEmpty(); }, 20000);
}

void LaunchedApp::stop()
{
    if (m_app.state() == QProcess::NotRunning)
        return;
    m_app.terminate();
    if (!m_app.waitForFinished(10000))
        m_app.kill();
    m_app.waitForFinished(3000);
}

QByteArray LaunchedApp::output()
{
    m_output += m_app.readAllStandardOutput();
    return m_output;
}

QJsonObject LaunchedApp::status() const
{
    const CliRun run = cli({QStringLiteral("status")});
    return run.exitCode == 0 ? QJsonDocument::fromJson(run.out).object() : QJsonObject();
}
