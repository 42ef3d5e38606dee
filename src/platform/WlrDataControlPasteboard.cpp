#include "platform/WlrDataControlPasteboard.h"

#include "platform/WaylandConnection.h"

#include "wlr-data-control-unstable-v1-client.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

// How plain text is offered: the MIME names Wayland clients ask for, and the X11 target names that
// XWayland clients ask for.
const QStringList textTypes{QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain"),
                            QStringLiteral("UTF8_STRING"), QStringLiteral("TEXT"), QStringLiteral("STRING")};

// An owner silent this long between two pieces of its data has stopped answering.
constexpr int stalledOwnerMs = 1000;

// A reader that stops reading must not end the process with SIGPIPE: the signal is blocked on the
// writing thread only, and the write then fails with EPIPE.
void writeAll(int fd, const QByteArray &data)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    ::close(fd);
}

} // namespace

struct WlrDataControlPasteboard::Events
{
    static void offerType(void *data, zwlr_data_control_offer_v1 *offer, const char *type)
    {
        auto *self = static_cast<WlrDataControlPasteboard *>(data);
        const auto found = self->m_offers.find(offer);
        if (found != self->m_offers.end())
            found->second.types.append(QString::fromUtf8(type));
    }
    static constexpr zwlr_data_control_offer_v1_listener offerListener{offerType};

    static void dataOffer(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
    {
        auto *self = static_cast<WlrDataControlPasteboard *>(data);
        self->m_offers[offer].proxy = offer;
        zwlr_data_control_offer_v1_add_listener(offer, &offerListener, self);
    }

    static void selection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
    {
        auto *self = static_cast<WlrDataControlPasteboard *>(data);
        self->m_selection = offer;
        self->dropStaleOffers();
        ++self->m_changes;
    }

    static void primarySelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
    {
        auto *self = static_cast<WlrDataControlPasteboard *>(data);
        self->m_primary = offer;
        self->dropStaleOffers();
    }

    static void finished(void *data, zwlr_data_control_device_v1 *device)
    {
        auto *self = static_cast<WlrDataControlPasteboard *>(data);
        zwlr_data_control_device_v1_destroy(device);
        self->m_device = nullptr;
    }
    static constexpr zwlr_data_control_device_v1_listener deviceListener{dataOffer, selection, finished,
                                                                         primarySelection};

    static void send(void *data, zwlr_data_control_source_v1 *, const char *type, int32_t fd)
    {
        const auto *source = static_cast<Source *>(data);
        const QString wanted = QString::fromUtf8(type);
        for (const PasteboardFormat &format : source->content) {
            if (format.type == wanted) {
                // A big image must not hold up the app while the reader takes its time.
                std::thread(writeAll, fd, format.data).detach();
                return;
            }
        }
        ::close(fd);
    }

    static void cancelled(void *data, zwlr_data_control_source_v1 *proxy)
    {
        auto *source = static_cast<Source *>(data);
        WlrDataControlPasteboard *self = source->owner;
        if (!self->m_sources.empty() && self->m_sources.back().get() == source)
            self->m_ownsSelection = false;
        zwlr_data_control_source_v1_destroy(proxy);
        std::erase_if(self->m_sources,
                      [source](const std::unique_ptr<Source> &kept) { return kept.get() == source; });
    }
    static constexpr zwlr_data_control_source_v1_listener sourceListener{send, cancelled};
};

std::unique_ptr<WlrDataControlPasteboard> WlrDataControlPasteboard::create(WaylandConnection &connection)
{
    if (!connection.seat())
        return nullptr;
    auto manager = static_cast<zwlr_data_control_manager_v1 *>(
        connection.bind(&zwlr_data_control_manager_v1_interface, 2));
    if (!manager)
        return nullptr;
    std::unique_ptr<WlrDataControlPasteboard> pasteboard(new WlrDataControlPasteboard(connection));
    pasteboard->m_manager = manager;
    pasteboard->m_device = zwlr_data_control_manager_v1_get_data_device(manager, connection.seat());
    zwlr_data_control_device_v1_add_listener(pasteboard->m_device, &Events::deviceListener, pasteboard.get());
    connection.roundtrip(); // the current selection arrives at once
    return pasteboard;
}

WlrDataControlPasteboard::~WlrDataControlPasteboard()
{
    for (auto &[proxy, offer] : m_offers)
        zwlr_data_control_offer_v1_destroy(proxy);
    for (const std::unique_ptr<Source> &source : m_sources)
        zwlr_data_control_source_v1_destroy(source->proxy);
    if (m_device)
        zwlr_data_control_device_v1_destroy(m_device);
    zwlr_data_control_manager_v1_destroy(m_manager);
    m_connection.flush();
}

void WlrDataControlPasteboard::setText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    PasteboardSnapshot content;
    for (const QString &type : textTypes)
        content.append({type, utf8});
    offerContent(content);
}

void WlrDataControlPasteboard::restore(const PasteboardSnapshot &snapshot)
{
    offerContent(snapshot);
}

void WlrDataControlPasteboard::offerContent(const PasteboardSnapshot &content)
{
    if (!m_device)
        return;
    if (content.isEmpty()) {
        zwlr_data_control_device_v1_set_selection(m_device, nullptr);
        m_ownsSelection = false;
    } else {
        auto source = std::make_unique<Source>();
        source->owner = this;
        source->content = content;
        source->proxy = zwlr_data_control_manager_v1_create_data_source(m_manager);
        zwlr_data_control_source_v1_add_listener(source->proxy, &Events::sourceListener, source.get());
        for (const PasteboardFormat &format : content)
            zwlr_data_control_source_v1_offer(source->proxy, format.type.toUtf8().constData());
        zwlr_data_control_device_v1_set_selection(m_device, source->proxy);
        m_sources.push_back(std::move(source));
        m_ownsSelection = true;
    }
    // The compositor announces our own selection too: it is counted before the caller reads the
    // change count, so that only later changes (another application's copy) show as new.
    m_connection.roundtrip();
}

PasteboardSnapshot WlrDataControlPasteboard::snapshot()
{
    m_connection.roundtrip(); // a copy made a moment ago has been announced by now
    // Our own content is served by this thread, which cannot wait for itself.
    if (m_ownsSelection && !m_sources.empty())
        return m_sources.back()->content;
    PasteboardSnapshot saved;
    const auto current = m_offers.find(m_selection);
    if (!m_selection || current == m_offers.end())
        return saved;
    const QStringList types = current->second.types;
    for (const QString &type : types) {
        bool stalled = false;
        QByteArray data = receive(m_selection, type, &stalled);
        if (stalled)
            break; // it will not answer the next type either
        if (!data.isEmpty())
            saved.append({type, std::move(data)});
    }
    return saved;
}

QByteArray WlrDataControlPasteboard::receive(zwlr_data_control_offer_v1 *offer, const QString &type,
                                             bool *stalled)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    zwlr_data_control_offer_v1_receive(offer, type.toUtf8().constData(), fds[1]);
    m_connection.flush();
    ::close(fds[1]);

    QByteArray data;
    char buffer[65536];
    for (;;) {
        pollfd readable{fds[0], POLLIN, 0};
        const int ready = poll(&readable, 1, stalledOwnerMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            *stalled = true;
            data.clear();
            break;
        }
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    ::close(fds[0]);
    return data;
}

void WlrDataControlPasteboard::dropStaleOffers()
{
    for (auto it = m_offers.begin(); it != m_offers.end();) {
        if (it->first == m_selection || it->first == m_primary) {
            ++it;
            continue;
        }
        zwlr_data_control_offer_v1_destroy(it->first);
        it = m_offers.erase(it);
    }
}
