#pragma once

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <memory>

struct wl_display;
struct wl_interface;
struct wl_seat;

// A connection of the app's own to the Wayland compositor, beside the toolkit's: the globals the
// compositor offers, its first seat, and events read on the Qt thread that opened it. A compositor
// that goes away leaves the connection broken; requests on it then do nothing.
class WaylandConnection
{
public:
    // `name` as WAYLAND_DISPLAY takes it (a socket name or an absolute path); empty means
    // $WAYLAND_DISPLAY. Null when no compositor answers.
    static std::unique_ptr<WaylandConnection> open(const QByteArray &name = {});
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection &) = delete;
    WaylandConnection &operator=(const WaylandConnection &) = delete;

    wl_display *display() const { return m_display; }
    // Null when the compositor offers no seat.
    wl_seat *seat() const { return m_seat; }
    // The interface names of every global the compositor offers.
    QStringList globals() const;
    bool offers(const char *interface) const;
    // Binds the first global of `interface` at most at `version`; null when it is not offered.
    void *bind(const wl_interface *interface, uint32_t version);

    // Sends queued requests. False once the connection is broken.
    bool flush();
    // Waits until the compositor has handled every request sent so far and its answers have been
    // dispatched. False once the connection is broken.
    bool roundtrip();
    bool isBroken() const;

    // One global as the registry announced it.
    struct Global
    {
        uint32_t name;
        QByteArray interface;
        uint32_t version;
    };

private:
    WaylandConnection() = default;
    void readEvents();

    wl_display *m_display = nullptr;
    struct wl_registry *m_registry = nullptr;
    wl_seat *m_seat = nullptr;
    QList<Global> m_globals;
    std::unique_ptr<class QSocketNotifier> m_notifier;
    bool m_broken = false;
};
