#pragma once

#include "platform/Pasteboard.h"

#include <map>
#include <memory>
#include <vector>

class WaylandConnection;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

// The seat's clipboard through the wlr data-control protocol (sway and other wlroots compositors,
// KWin), which, unlike the toolkit's clipboard, reads and writes it while another application has
// the focus. What the app puts there is served by this object, so the content lasts as long as it
// does. Reads block the calling thread while the owner answers. Use on the connection's thread.
class WlrDataControlPasteboard final : public Pasteboard
{
public:
    // Null when the compositor offers no data control or no seat.
    static std::unique_ptr<WlrDataControlPasteboard> create(WaylandConnection &connection);
    ~WlrDataControlPasteboard() override;
    WlrDataControlPasteboard(const WlrDataControlPasteboard &) = delete;
    WlrDataControlPasteboard &operator=(const WlrDataControlPasteboard &) = delete;

    void setText(const QString &text) override;
    // An owner that stops answering costs one second, after which the remaining types are left out.
    PasteboardSnapshot snapshot() override;
    void restore(const PasteboardSnapshot &snapshot) override;
    quint64 changeCount() const override { return m_changes; }

private:
    struct Offer
    {
        zwlr_data_control_offer_v1 *proxy = nullptr;
        QStringList types;
    };
    struct Source
    {
        WlrDataControlPasteboard *owner = nullptr;
        zwlr_data_control_source_v1 *proxy = nullptr;
        PasteboardSnapshot content;
    };
    struct Events;

    explicit WlrDataControlPasteboard(WaylandConnection &connection) : m_connection(connection) {}
    void offerContent(const PasteboardSnapshot &content);
    // Drops every offer but the current selection's and the current primary selection's.
    void dropStaleOffers();
    QByteArray receive(zwlr_data_control_offer_v1 *offer, const QString &type, bool *stalled);

    WaylandConnection &m_connection;
    zwlr_data_control_manager_v1 *m_manager = nullptr;
    zwlr_data_control_device_v1 *m_device = nullptr;
    std::map<zwlr_data_control_offer_v1 *, Offer> m_offers;
    zwlr_data_control_offer_v1 *m_selection = nullptr;
    zwlr_data_control_offer_v1 *m_primary = nullptr;
    // Ours until the compositor cancels them; the last one is the selection while it lasts.
    std::vector<std::unique_ptr<Source>> m_sources;
    bool m_ownsSelection = false;
    quint64 m_changes = 0;
};
