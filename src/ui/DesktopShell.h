#pragma once

#include <QObject>
#include <QString>

#include <memory>

class AppState;
class BriefingPanelController;
class ClipboardPasteboard;
class CommandDeckPanel;
class DataWindows;
class DockStationWindow;
class FocusHUDController;
class MenuBarPanel;
class ShellWindows;
class TrayIcon;
class ViewEngine;

// The desktop around the app state: the tray icon and its panel (or, without a tray, the panel
// as a small window), the floating panels and the windows opened by id, all drawn by one QML
// engine.
class DesktopShell : public QObject
{
    Q_OBJECT

public:
    // Call before the first Qt Quick window exists (the constructor does): renders with OpenGL
    // where the display has it, in software otherwise, on the GUI thread, with see-through window
    // backgrounds.
    static void prepareGraphics();

    explicit DesktopShell(AppState &app, QObject *parent = nullptr);
    ~DesktopShell() override;

    // The tray icon, or the panel window where there is no tray; hands the floating panels to
    // the app state. Closing the last window no longer quits the app.
    void start();
    // Brings the panel up (a second launch, or the desktop asking).
    void activate();
    bool hasTray() const;
    // Opens (or brings forward) the window `id`; false when there is no such window.
    bool openWindow(const QString &id);

    ViewEngine &views() { return *m_views; }
    ShellWindows &windows() { return *m_windows; }
    MenuBarPanel &panel() { return *m_panel; }
    DockStationWindow &dockStation() { return *m_dockStation; }
    TrayIcon &tray() { return *m_tray; }
    CommandDeckPanel &deckPanel() { return *m_deckPanel; }
    FocusHUDController &focusHud() { return *m_focusHud; }
    BriefingPanelController &briefingCard() { return *m_briefingCard; }
    DataWindows &dataWindows() { return *m_dataWindows; }

private:
    void registerWindows();
    void followTray();

    AppState &m_app;
    // Declared first: the windows below are drawn by it and go before it.
    std::unique_ptr<ViewEngine> m_views;
    std::unique_ptr<ShellWindows> m_windows;
    std::unique_ptr<DockStationWindow> m_dockStation;
    std::unique_ptr<MenuBarPanel> m_panel;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<CommandDeckPanel> m_deckPanel;
    std::unique_ptr<FocusHUDController> m_focusHud;
    std::unique_ptr<BriefingPanelController> m_briefingCard;
    std::unique_ptr<ClipboardPasteboard> m_clipboard;
    std::unique_ptr<DataWindows> m_dataWindows;
};
