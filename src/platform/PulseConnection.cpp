#include "platform/PulseConnection.h"

namespace {

struct SourceQuery
{
    std::vector<PulseSource> sources;
};

void collectSource(pa_context *, const pa_source_info *info, int endOfList, void *userData)
{
    if (endOfList != 0 || info == nullptr)
        return;
    auto *query = static_cast<SourceQuery *>(userData);
    query->sources.push_back(
        {QByteArray(info->name), info->sample_spec, info->monitor_of_sink != PA_INVALID_INDEX});
}

} // namespace

PulseConnection::PulseConnection(const QByteArray &server)
    : m_server(server), m_loop(pa_mainloop_new()),
      m_context(pa_context_new(pa_mainloop_get_api(m_loop), "Dictrava"))
{}

PulseConnection::~PulseConnection()
{
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_mainloop_free(m_loop);
}

std::optional<QString> PulseConnection::connect(Clock::time_point deadline, std::stop_token stop)
{
    if (!m_context)
        return QStringLiteral("Cannot reach the sound server");
    // The desktop session starts its sound server; a dictation app should not spawn one.
    if (pa_context_connect(m_context, m_server.isEmpty() ? nullptr : m_server.constData(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return QStringLiteral("Cannot reach the sound server: ") + lastError();
    const bool settled = runUntil(
        [this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        },
        deadline, stop);
    if (isConnected())
        return std::nullopt;
    if (!settled)
        return QStringLiteral("The sound server did not answer in time");
    return QStringLiteral("Cannot reach the sound server: ") + lastError();
}

std::optional<PulseSource> PulseConnection::defaultSource(Clock::time_point deadline, std::stop_token stop)
{
    QByteArray name;
    const auto readName = [](pa_context *, const pa_server_info *info, void *userData) {
        if (info != nullptr && info->default_source_name != nullptr)
            *static_cast<QByteArray *>(userData) = info->default_source_name;
    };
    if (!await(pa_context_get_server_info(m_context, readName, &name), deadline, stop) || name.isEmpty())
        return std::nullopt;

    SourceQuery query;
    if (!await(pa_context_get_source_info_by_name(m_context, name.constData(), collectSource, &query),
               deadline, stop) ||
        query.sources.empty())
        return std::nullopt;
    return query.sources.front();
}

std::vector<PulseSource> PulseConnection::sources(Clock::time_point deadline, std::stop_token stop)
{
    SourceQuery query;
    if (!await(pa_context_get_source_info_list(m_context, collectSource, &query), deadline, stop))
        return {};
    return query.sources;
}

bool PulseConnection::runUntil(const std::function<bool()> &done, Clock::time_point deadline,
                               std::stop_token stop)
{
    using std::chrono::microseconds;
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline || stop.stop_requested())
            return false;
        const auto wait = std::chrono::duration_cast<microseconds>(deadline - now).count();
        if (pa_mainloop_prepare(m_loop, int(std::min<long long>(wait, 60'000'000))) < 0 ||
            pa_mainloop_poll(m_loop) < 0 || pa_mainloop_dispatch(m_loop) < 0)
            return false;
    }
    return true;
}

bool PulseConnection::iterate()
{
    return pa_mainloop_iterate(m_loop, 1, nullptr) >= 0;
}

void PulseConnection::wakeUp()
{
    pa_mainloop_wakeup(m_loop);
}

bool PulseConnection::isConnected() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

QString PulseConnection::lastError() const
{
    return QString::fromUtf8(pa_strerror(m_context ? pa_context_errno(m_context) : PA_ERR_INTERNAL));
}

bool PulseConnection::await(pa_operation *operation, Clock::time_point deadline, std::stop_token stop)
{
    if (operation == nullptr)
        return false;
    const bool finished = runUntil(
        [operation, this] {
            return pa_operation_get_state(operation) != PA_OPERATION_RUNNING ||
                   !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
        },
        deadline, stop);
    const bool done = finished && pa_operation_get_state(operation) == PA_OPERATION_DONE;
    // A cancelled operation never calls back into the caller's (soon gone) state.
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return done;
}
