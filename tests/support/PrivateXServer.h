#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>

// An X server of the test's own: Xvfb on the first free display, 1280×800, no window manager.
// Works before a QCoreApplication exists, so a test can point its own GUI at it.
class PrivateXServer
{
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    // ":N"; empty when Xvfb did not start.
    QByteArray display() const { return m_display; }
    // The system environment with DISPLAY pointing here and Qt on its X11 backend.
    QProcessEnvironment environment() const;
    // Points this process's DISPLAY and Qt platform here (before the QApplication is made).
    void useInThisProcess() const;

    // Runs an X client tool (xdotool, xclip, import…) against this display; its exit code, or -1
    // when it did not finish within 15 s. Its standard output goes to `output` when given.
    int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr) const;
    // The frame of the visible window titled exactly `title`, as the X server has it; empty while
    // there is none.
    QRect windowGeometry(const QString &title) const;

private:
    QProcess m_xvfb;
    QByteArray m_display;
};
