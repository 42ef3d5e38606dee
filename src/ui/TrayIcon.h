#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>

class AppState;
class QMenu;

// The app's icon in the system tray: the app icon, or a filled record symbol while a recording
// runs. A click asks for the panel. Trays come and go (a desktop panel restarts, an indicator
// extension is switched on): `hasTray` follows them, and the icon is put back when one returns.
class TrayIcon : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the desktop shell")
    Q_PROPERTY(bool hasTray READ hasTray NOTIFY hasTrayChanged)

public:
    // How often the tray's presence is checked, and how many checks in a row must agree before it
    // counts as gone (a panel restarting is not a lost tray).
    static constexpr int kCheckIntervalMs = 2000;
    static constexpr int kChecksBeforeLost = 2;

    explicit TrayIcon(AppState &app, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon where a tray exists and starts watching for trays.
    void start();
    bool hasTray() const { return m_hasTray; }
    // The icon's place on screen; empty when the tray does not say.
    QRect geometry() const;
    // Whether the icon shows the recording symbol.
    bool showsRecording() const { return m_showsRecording; }
    QIcon icon() const { return m_tray.icon(); }

    static QIcon appIcon();
    static QIcon recordingIcon();

signals:
    void hasTrayChanged();
    // The icon was clicked, or "Open Dictrava" chosen in its menu.
    void activated(const QRect &anchor);

private:
    void checkTray();
    void redraw();

    AppState &m_app;
    const QIcon m_appIcon = appIcon();
    const QIcon m_recordingIcon = recordingIcon();
    QSystemTrayIcon m_tray;
    std::unique_ptr<QMenu> m_menu;
    QTimer m_watch;
    bool m_hasTray = false;
    int m_missedChecks = 0;
    bool m_showsRecording = false;
};
