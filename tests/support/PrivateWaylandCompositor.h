#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A headless sway of the test's own, drawn in software, with a seat that has no keyboard until a
// client makes a virtual one. sway refuses to run as root: as root it runs under an unused user
// id of its own (no account needed); clients may still connect as root.
class PrivateWaylandCompositor
{
public:
    // `configLines` are appended to the compositor's configuration (bindings, …); `session` adds
    // variables for the programs its bindings run (the session bus, …).
    explicit PrivateWaylandCompositor(const QStringList &configLines = {},
                                      const QProcessEnvironment &session = {});
    ~PrivateWaylandCompositor();
    PrivateWaylandCompositor(const PrivateWaylandCompositor &) = delete;
    PrivateWaylandCompositor &operator=(const PrivateWaylandCompositor &) = delete;

    bool isRunning() const { return !m_socket.isEmpty(); }
    // Why it is not running.
    QString errorString() const { return m_error; }
    // The compositor's socket as an absolute path, as WAYLAND_DISPLAY takes it.
    QByteArray socket() const { return m_socket; }
    // The system environment with the session's variables pointing here and no X display.
    QProcessEnvironment environment() const;
    // An environment for a child that runs as the compositor's user (what its bindings run).
    QProcessEnvironment userEnvironment() const;
    // The program and arguments that run `program` as the compositor's user.
    QStringList asUser(const QString &program, const QStringList &arguments) const;

    // Runs a Wayland client tool (wl-copy, wl-paste, swaymsg…) to its end, handling this
    // process's events meanwhile: its exit code, or -1 when it did not finish within 15 s.
    // Standard output goes to `output` when given.
    int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr) const;

private:
    QProcessEnvironment m_session;
    QTemporaryDir m_dir;
    QString m_runtimeDir;
    uint m_uid = 0;
    QProcess m_sway;
    QByteArray m_socket;
    QString m_error;
};
