#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// A GTK text entry of its own process, native on Wayland: it reports its content on every change,
// and when its window becomes active.
class WaylandTextField
{
public:
    explicit WaylandTextField(const QProcessEnvironment &environment);
    ~WaylandTextField();
    WaylandTextField(const WaylandTextField &) = delete;
    WaylandTextField &operator=(const WaylandTextField &) = delete;

    // Whether its window has been active (had the keyboard focus) at some time.
    bool wasFocused();
    QString text();
    // Empties the entry and waits until it says so; false on time-out.
    bool clear();

private:
    QByteArray output();

    QProcess m_process;
    QByteArray m_output;
};
