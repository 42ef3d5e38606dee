#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <functional>

// The app's ordinary windows by id ("meeting", "tasks", "history", "settings"): each is made once by
// its registered factory and afterwards brought forward, so there is never a second copy.
class ShellWindows : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<QWindow *()>;

    using QObject::QObject;
    ~ShellWindows() override;

    // The factory's window is owned here once made.
    void registerWindow(const QString &id, Factory factory);
    // Shows the window (making it on first use), raises it and asks for the keyboard focus. False,
    // with a diagnostic line, when no window of that id is known.
    bool open(const QString &id);
    // The window already made for `id`, if any.
    QWindow *window(const QString &id) const { return m_windows.value(id); }

private:
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWindow>> m_windows;
};
