#pragma once

#include <QObject>

#include <memory>

class AppState;
class ClipboardPasteboard;
class DataWindows;
class DockStationWindow;
class MenuBarPanel;
class QQmlEngine;
class ShellWindows;
class TrayIcon;

// The desktop around the app state: the tray icon and its panel (or, without a tray, the panel
// as a small window), the dock station and the windows opened by id.
class DesktopShell : public QObject
{
    Q_OBJECT

public:
    // Call before the first Qt Quick window exists (the constructor does): renders with OpenGL
    // where the display has it, in software otherwise, with see-through window backgrounds.
    static void prepareGraphics();

    explicit DesktopShell(AppState &app, QObject *parent = nullptr);
    ~DesktopShell() override;

    // The tray icon, or the panel window where there is no tray; hands the dock station to the
    // app state. Closing the last window no longer quits the app.
    void start();
    // Brings the panel up (a second launch, or the desktop asking).
    void activate();
    bool hasTray() const;

    ShellWindows &windows() { return *m_windows; }
    MenuBarPanel &panel() { return *m_panel; }
    DockStationWindow &dockStation() { return *m_dockStation; }
    TrayIcon &tray() { return *m_tray; }
    DataWindows &dataWindows() { return *m_dataWindows; }

private:
    void followTray();

    AppState &m_app;
    ShellWindows *m_windows;
    DockStationWindow *m_dockStation;
    MenuBarPanel *m_panel;
    TrayIcon *m_tray;
    QQmlEngine *m_engine;
    std::unique_ptr<ClipboardPasteboard> m_clipboard;
    DataWindows *m_dataWindows;
};
