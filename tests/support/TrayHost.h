#pragma once

#include <QRect>

#include <memory>

// A bare system tray for tests on an X server without a desktop: it owns the tray selection,
// announces itself, and docks every icon that asks (freedesktop system tray, XEmbed windows).
// Events are read on the thread that calls start().
class TrayHost
{
public:
    static constexpr int kIconSize = 24;

    // A strip at `geometry` on $DISPLAY.
    explicit TrayHost(const QRect &geometry);
    ~TrayHost();

    bool start();
    // Like a desktop panel that exits: the tray goes, docked icons return to the root window.
    void stop();

    // Icons docked now (an icon that was destroyed or left does not count).
    int dockedIcons() const;
    // Where the first docked icon sits on screen.
    QRect firstIcon() const;

private:
    struct Connection;
    const QRect m_geometry;
    std::unique_ptr<Connection> m_connection;
};
