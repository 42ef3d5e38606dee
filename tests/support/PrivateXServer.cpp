#include "support/PrivateXServer.h"

PrivateXServer::PrivateXServer()
{
    // Xvfb picks a free display itself and writes its number to the given descriptor.
    m_xvfb.start(u"Xvfb"_qs, {u"-displayfd"_qs, u"1"_qs, u"-screen"_qs, u"0"_qs, u"1280x800x24"_qs,
                              u"-nolisten"_qs, u"tcp"_qs});
    if (m_xvfb.waitForReadyRead(10000))
        m_display = ':' + m_xvfb.readLine().trimmed();
}

PrivateXServer::~PrivateXServer()
{
    m_xvfb.terminate();
    if (!m_xvfb.waitForFinished(3000))
        m_xvfb.kill();
}

QProcessEnvironment PrivateXServer::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DISPLAY"_qs, QString::fromLatin1(m_display));
    environment.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
    environment.remove(u"WAYLAND_DISPLAY"_qs); // the app would take the Wayland session's backends
    return environment;
}

void PrivateXServer::useInThisProcess() const
{
    qputenv("DISPLAY", m_display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
}

int PrivateXServer::run(const QString &program, const QStringList &arguments, QByteArray *output) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
