#pragma once

#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class AppState;
class Pasteboard;
class QQmlEngine;
class QQuickView;
class QWindow;
class ShellWindows;
struct DesktopAccess;

// The windows that show the user's data and preferences: the tasks, the dictation history and
// the settings. Each is an ordinary window made on first opening, with its model backed by the
// app state's stores; closing one only hides it, so nothing is lost.
class DataWindows : public QObject
{
    Q_OBJECT

public:
    struct Kind
    {
        QString id;
        QString title;
        QString view; // the QML type of its content
        QSize size;
        QSize minimumSize;
        bool resizable = true;
    };
    static const QList<Kind> &kinds();

    DataWindows(AppState &app, Pasteboard &pasteboard, QQmlEngine &engine, QObject *parent = nullptr);
    ~DataWindows() override;

    // What the settings window's permission rows say this session lets the app do.
    void setDesktopAccess(const DesktopAccess &desktop);

    // Makes each window known to `windows` by its id.
    void registerWith(ShellWindows &windows);
    // The window of that id, made now (not shown); null for an unknown id.
    QQuickView *create(const QString &id);

private:
    QObject *modelFor(const QString &id, QObject *owner);

    AppState &m_app;
    Pasteboard &m_pasteboard;
    QQmlEngine &m_engine;
    std::unique_ptr<DesktopAccess> m_desktop;
};
