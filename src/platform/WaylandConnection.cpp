#include "platform/WaylandConnection.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>

namespace {

void announceGlobal(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version);
void removeGlobal(void *data, wl_registry *, uint32_t name);
const wl_registry_listener registryListener{announceGlobal, removeGlobal};

} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open(const QByteArray &name)
{
    wl_display *display = wl_display_connect(name.isEmpty() ? nullptr : name.constData());
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->m_display = display;
    connection->m_registry = wl_display_get_registry(display);
    wl_registry_add_listener(connection->m_registry, &registryListener, &connection->m_globals);
    if (!connection->roundtrip())
        return nullptr;
    connection->m_seat = static_cast<wl_seat *>(connection->bind(&wl_seat_interface, 1));

    WaylandConnection *raw = connection.get();
    connection->m_notifier =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
    QObject::connect(raw->m_notifier.get(), &QSocketNotifier::activated, raw->m_notifier.get(),
                     [raw] { raw->readEvents(); });
    return connection;
}

WaylandConnection::~WaylandConnection()
{
    m_notifier.reset();
    if (m_seat)
        wl_proxy_destroy(reinterpret_cast<wl_proxy *>(m_seat));
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display)
        wl_display_disconnect(m_display);
}

QStringList WaylandConnection::globals() const
{
    QStringList names;
    for (const Global &global : m_globals)
        names.append(QString::fromLatin1(global.interface));
    return names;
}

bool WaylandConnection::offers(const char *interface) const
{
    return std::any_of(m_globals.cbegin(), m_globals.cend(),
                       [interface](const Global &global) { return global.interface == interface; });
}

void *WaylandConnection::bind(const wl_interface *interface, uint32_t version)
{
    for (const Global &global : std::as_const(m_globals)) {
        if (global.interface == interface->name)
            return wl_registry_bind(m_registry, global.name, interface, std::min(version, global.version));
    }
    return nullptr;
}

bool WaylandConnection::flush()
{
    if (!m_broken && wl_display_flush(m_display) < 0 && errno != EAGAIN)
        m_broken = true;
    return !m_broken;
}

bool WaylandConnection::roundtrip()
{
    if (!m_broken && wl_display_roundtrip(m_display) < 0)
        m_broken = true;
    return !m_broken;
}

bool WaylandConnection::isBroken() const
{
    return m_broken || wl_display_get_error(m_display) != 0;
}

void WaylandConnection::readEvents()
{
    if (m_broken || wl_display_dispatch(m_display) < 0) {
        // The compositor is gone: nothing more will come, and a notifier on a dead socket spins.
        m_broken = true;
        m_notifier->setEnabled(false);
        return;
    }
    flush(); // event handlers may have made requests
}

namespace {

void announceGlobal(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    auto *globals = static_cast<QList<WaylandConnection::Global> *>(data);
    globals->append({name, QByteArray(interface), version});
}

void removeGlobal(void *data, wl_registry *, uint32_t name)
{
    auto *globals = static_cast<QList<WaylandConnection::Global> *>(data);
    globals->removeIf([name](const WaylandConnection::Global &global) { return global.name == name; });
}

} // namespace
