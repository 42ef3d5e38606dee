#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// One run of dictrava-cli: exit code (-1 when it did not end within 60 s) and what it printed.
struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    // The last JSON object printed: an audio run may print progress lines before it.
    QJsonObject json() const;
};

// Runs dictrava-cli in `environment` (this process's when empty), `input` on its standard input.
CliRun runCli(const QStringList &arguments, const QProcessEnvironment &environment = {},
              const QByteArray &input = {});

// The dictrava app as a user's session starts it, with the command line tool run beside it in the
// same environment (display, session bus, sound server): what the end-to-end tests drive.
class LaunchedApp
{
public:
    explicit LaunchedApp(QProcessEnvironment environment = {}) : m_environment(std::move(environment)) {}
    ~LaunchedApp() { stop(); }
    LaunchedApp(const LaunchedApp &) = delete;
    LaunchedApp &operator=(const LaunchedApp &) = delete;

    void setEnvironment(const QProcessEnvironment &environment) { m_environment = environment; }
    const QProcessEnvironment &environment() const { return m_environment; }

    // Starts the app and waits until it is ready and answers the command line.
    bool start();
    // Ends it as logging out does (SIGTERM), killed when it does not go.
    void stop();
    QProcess &process() { return m_app; }
    // Everything the app printed so far.
    QByteArray output();

    CliRun cli(const QStringList &arguments) const { return runCli(arguments, m_environment); }
    // `dictrava-cli status`; empty while the app does not answer.
    QJsonObject status() const;

private:
    QProcessEnvironment m_environment;
    QProcess m_app;
    QByteArray m_output;
};
