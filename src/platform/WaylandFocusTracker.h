#pragma once

#include <QByteArray>

#include <map>
#include <memory>

class WaylandConnection;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

// Which application's window is active, by its app id, from the wlr foreign-toplevel protocol
// (sway and other wlroots compositors tell every client). Use on the connection's thread.
class WaylandFocusTracker
{
public:
    // Null when the compositor does not tell.
    static std::unique_ptr<WaylandFocusTracker> create(WaylandConnection &connection);
    ~WaylandFocusTracker();
    WaylandFocusTracker(const WaylandFocusTracker &) = delete;
    WaylandFocusTracker &operator=(const WaylandFocusTracker &) = delete;

    // Empty when no window is active or the compositor has not said yet.
    QByteArray activeAppId();

private:
    struct Toplevel
    {
        QByteArray appId;
        bool activated = false;
        // Changes take effect together, at the compositor's "done".
        QByteArray pendingAppId;
        bool pendingActivated = false;
    };
    struct Events;

    explicit WaylandFocusTracker(WaylandConnection &connection) : m_connection(connection) {}

    WaylandConnection &m_connection;
    zwlr_foreign_toplevel_manager_v1 *m_manager = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1 *, Toplevel> m_toplevels;
};
