#include "support/PrivateXServer.h"

#include <QHash>

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

namespace {

QStringList visibleWindows(const PrivateXServer &x, const QString &title)
{
    QByteArray ids;
    x.run(u"xdotool"_qs, {u"search"_qs, u"--onlyvisible"_qs, u"--name"_qs, u'^' + title + u'$'}, &ids);
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

QRect PrivateXServer::windowGeometry(const QString &title) const
{
    const QStringList ids = visibleWindows(*this, title);
    QByteArray info;
    if (ids.isEmpty() ||
        run(u"xdotool"_qs, {u"getwindowgeometry"_qs, u"--shell"_qs, ids.first()}, &info) != 0)
        return {};
    QHash<QByteArray, int> values;
    for (const QByteArray &line : info.split('\n')) {
        const QList<QByteArray> pair = line.split('=');
        if (pair.size() == 2)
            values.insert(pair[0], pair[1].toInt());
    }
    return {values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT")};
}
