#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <QWindow>

#include <functional>

class ViewEngine;

// The app's ordinary windows by id ("meeting", "tasks", "history", "settings"): each is made once,
// on first use, and afterwards brought forward, so there is never a second copy. The shell
// registers them all in one table (DesktopShell::registerWindows).
class ShellWindows : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<QWindow *()>;
    // The view's required properties, made when its window is; objects made here should take
    // `owner` (the window) as parent, so they go with it.
    using Properties = std::function<QVariantMap(QObject *owner)>;

    // A window that shows a QML view of the module.
    struct View
    {
        QString title;
        QString view; // "TasksView" for TasksView.qml
        QSize size;   // from WindowSizes
        Properties properties;
    };

    explicit ShellWindows(ViewEngine *views = nullptr, QObject *parent = nullptr);
    ~ShellWindows() override;

    // The factory's window is owned here once made.
    void registerWindow(const QString &id, Factory factory);
    // A window of `view` on the shared engine (which must have been given).
    void registerView(const QString &id, View view);
    // Shows the window (making it on first use), raises it and asks for the keyboard focus. False,
    // with a diagnostic line, when no window of that id is known.
    bool open(const QString &id);
    bool has(const QString &id) const { return m_factories.contains(id); }
    // The window already made for `id`, if any.
    QWindow *window(const QString &id) const { return m_windows.value(id); }

private:
    QWindow *makeView(const View &view);

    ViewEngine *m_views;
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWindow>> m_windows;
};
