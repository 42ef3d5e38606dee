#include "platform/WaylandFocusTracker.h"

#include "platform/WaylandConnection.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client.h"

#include <wayland-client.h>

struct WaylandFocusTracker::Events
{
    static Toplevel *of(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
    {
        auto &toplevels = static_cast<WaylandFocusTracker *>(data)->m_toplevels;
        const auto found = toplevels.find(handle);
        return found == toplevels.end() ? nullptr : &found->second;
    }

    static void title(void *, zwlr_foreign_toplevel_handle_v1 *, const char *) {}
    static void appId(void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *id)
    {
        if (Toplevel *toplevel = of(data, handle))
            toplevel->pendingAppId = id;
    }
    static void output(void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *) {}
    static void state(void *data, zwlr_foreign_toplevel_handle_v1 *handle, wl_array *states)
    {
        Toplevel *toplevel = of(data, handle);
        if (!toplevel)
            return;
        toplevel->pendingActivated = false;
        const auto *values = static_cast<const uint32_t *>(states->data);
        for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
            if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)
                toplevel->pendingActivated = true;
        }
    }
    static void done(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
    {
        if (Toplevel *toplevel = of(data, handle)) {
            toplevel->appId = toplevel->pendingAppId;
            toplevel->activated = toplevel->pendingActivated;
        }
    }
    static void closed(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
    {
        static_cast<WaylandFocusTracker *>(data)->m_toplevels.erase(handle);
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
    static void parent(void *, zwlr_foreign_toplevel_handle_v1 *, zwlr_foreign_toplevel_handle_v1 *) {}
    static constexpr zwlr_foreign_toplevel_handle_v1_listener toplevelListener{title, appId, output, output,
                                                                               state, done,  closed, parent};

    static void toplevel(void *data, zwlr_foreign_toplevel_manager_v1 *,
                         zwlr_foreign_toplevel_handle_v1 *handle)
    {
        static_cast<WaylandFocusTracker *>(data)->m_toplevels[handle];
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &toplevelListener, data);
    }
    static void finished(void *data, zwlr_foreign_toplevel_manager_v1 *manager)
    {
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        static_cast<WaylandFocusTracker *>(data)->m_manager = nullptr;
    }
    static constexpr zwlr_foreign_toplevel_manager_v1_listener managerListener{toplevel, finished};
};

std::unique_ptr<WaylandFocusTracker> WaylandFocusTracker::create(WaylandConnection &connection)
{
    auto manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(
        connection.bind(&zwlr_foreign_toplevel_manager_v1_interface, 3));
    if (!manager)
        return nullptr;
    std::unique_ptr<WaylandFocusTracker> tracker(new WaylandFocusTracker(connection));
    tracker->m_manager = manager;
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &Events::managerListener, tracker.get());
    connection.roundtrip(); // the windows open now are announced at once
    return tracker;
}

WaylandFocusTracker::~WaylandFocusTracker()
{
    for (auto &[handle, toplevel] : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (m_manager) {
        zwlr_foreign_toplevel_manager_v1_stop(m_manager);
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    }
    m_connection.flush();
}

QByteArray WaylandFocusTracker::activeAppId()
{
    m_connection.roundtrip(); // a focus change a moment ago has been announced by now
    for (const auto &[handle, toplevel] : m_toplevels) {
        if (toplevel.activated)
            return toplevel.appId;
    }
    return {};
}
