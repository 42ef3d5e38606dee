#include "platform/PulseAudioInput.h"

#include "platform/PulseConnection.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <vector>

namespace {

constexpr size_t kBufferFrames = 2048;
const QString kNoMicrophone = QStringLiteral("No microphone input available");

// Gathers whatever the server hands over into buffers of exactly 2048 frames.
class BufferAssembler
{
public:
    BufferAssembler(const AudioInput::BufferHandler &onBuffer, std::stop_token stop)
        : m_onBuffer(onBuffer), m_stop(std::move(stop))
    {
        m_pending.reserve(kBufferFrames);
    }

    static void readAvailable(pa_stream *stream, size_t, void *userData)
    {
        auto *self = static_cast<BufferAssembler *>(userData);
        while (pa_stream_readable_size(stream) > 0) {
            const void *data = nullptr;
            size_t bytes = 0;
            if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
                return;
            // A hole (no data for a stretch of the stream) keeps its length as silence.
            self->append(static_cast<const char *>(data), bytes / sizeof(float));
            pa_stream_drop(stream);
        }
    }

    // Hands over a last, shorter buffer: the end of what was heard.
    void flush()
    {
        if (!m_pending.empty() && !m_stop.stop_requested())
            m_onBuffer(std::span<const float>(m_pending));
        m_pending.clear();
    }

private:
    void append(const char *data, size_t frames)
    {
        while (frames > 0) {
            const size_t take = std::min(frames, kBufferFrames - m_pending.size());
            const size_t at = m_pending.size();
            m_pending.resize(at + take);
            if (data) {
                std::memcpy(m_pending.data() + at, data, take * sizeof(float));
                data += take * sizeof(float);
            } else {
                std::fill_n(m_pending.begin() + std::ptrdiff_t(at), take, 0.0f);
            }
            frames -= take;
            if (m_pending.size() == kBufferFrames) {
                // The handler may have stopped the recording from inside the previous buffer.
                if (m_stop.stop_requested())
                    return;
                m_onBuffer(std::span<const float>(m_pending));
                m_pending.clear();
            }
        }
    }

    const AudioInput::BufferHandler &m_onBuffer;
    std::stop_token m_stop;
    std::vector<float> m_pending;
};

bool connectStream(PulseConnection &connection, pa_stream *stream, const QByteArray &source,
                   PulseConnection::Clock::time_point deadline, std::stop_token stop)
{
    // Ask the server to hand over about one buffer at a time.
    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.tlength = uint32_t(-1);
    attributes.prebuf = uint32_t(-1);
    attributes.minreq = uint32_t(-1);
    attributes.fragsize = uint32_t(kBufferFrames * sizeof(float));
    if (pa_stream_connect_record(stream, source.constData(), &attributes, PA_STREAM_ADJUST_LATENCY) < 0)
        return false;
    const auto settled = [stream] {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    };
    return connection.runUntil(settled, deadline, std::move(stop)) &&
           pa_stream_get_state(stream) == PA_STREAM_READY;
}

QString streamError(PulseConnection &connection, const QByteArray &source)
{
    return QStringLiteral("Cannot record from “%1”: %2")
        .arg(QString::fromUtf8(source), connection.lastError());
}

} // namespace

PulseAudioInput::PulseAudioInput(QString server) : m_server(server.toUtf8()) {}

PulseAudioInput::~PulseAudioInput()
{
    stop();
}

AudioFormat PulseAudioInput::format()
{
    const auto deadline = PulseConnection::Clock::now() + kServerTimeout;
    PulseConnection connection(m_server);
    AudioFormat found;
    if (!connection.connect(deadline)) {
        const auto source = connection.defaultSource(deadline);
        if (source && !source->isMonitor)
            found = {double(source->sampleFormat.rate), int(source->sampleFormat.channels)};
    }
    const std::lock_guard lock(m_mutex);
    m_format = found;
    return found;
}

std::optional<QString> PulseAudioInput::start(BufferHandler onBuffer)
{
    if (m_thread.isCurrentThread())
        return QStringLiteral("A recording cannot be restarted from its own thread");
    uint32_t rate = 0;
    {
        const std::lock_guard lock(m_mutex);
        rate = uint32_t(std::max(m_format.sampleRate, 0.0));
    }

    auto started = std::make_shared<std::promise<std::optional<QString>>>();
    std::future<std::optional<QString>> startResult = started->get_future();
    m_thread.start([this, rate, started, onBuffer = std::move(onBuffer)](std::stop_token stop) {
        record(stop, rate, onBuffer, *started);
    });
    std::optional<QString> error = startResult.get();
    if (error)
        m_thread.stop();
    return error;
}

void PulseAudioInput::record(std::stop_token stop, uint32_t rate, const BufferHandler &onBuffer,
                             std::promise<std::optional<QString>> &started)
{
    const auto deadline = PulseConnection::Clock::now() + kServerTimeout;
    PulseConnection connection(m_server);
    const std::stop_callback wakeOnStop(stop, [&connection] { connection.wakeUp(); });
    const auto fail = [&](const QString &why) {
        started.set_value(stop.stop_requested() ? QStringLiteral("The recording was stopped") : why);
    };

    if (const auto error = connection.connect(deadline, stop))
        return fail(*error);
    const auto source = connection.defaultSource(deadline, stop);
    if (!source || source->isMonitor)
        return fail(kNoMicrophone);

    const pa_sample_spec recordFormat{PA_SAMPLE_FLOAT32LE, rate > 0 ? rate : source->sampleFormat.rate, 1};
    pa_stream *stream = pa_stream_new(connection.context(), "Microphone", &recordFormat, nullptr);
    if (!stream)
        return fail(streamError(connection, source->name));
    BufferAssembler assembler(onBuffer, stop);
    pa_stream_set_read_callback(stream, &BufferAssembler::readAvailable, &assembler);

    QString endReason;
    if (!connectStream(connection, stream, source->name, deadline, stop)) {
        fail(streamError(connection, source->name));
    } else {
        started.set_value(std::nullopt);
        while (!stop.stop_requested()) {
            const bool turned = connection.iterate();
            if (!turned || !PA_CONTEXT_IS_GOOD(pa_context_get_state(connection.context()))) {
                endReason = QStringLiteral("the sound server went away (%1)").arg(connection.lastError());
                break;
            }
            if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
                endReason = QStringLiteral("the microphone went away (%1)").arg(connection.lastError());
                break;
            }
        }
    }

    pa_stream_set_read_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    if (!endReason.isEmpty() && !stop.stop_requested()) {
        assembler.flush();
        if (onEnded)
            onEnded(endReason);
    }
}

void PulseAudioInput::stop()
{
    m_thread.stop();
}

bool PulseAudioInput::hasCaptureSource(const QString &server)
{
    const auto deadline = PulseConnection::Clock::now() + kServerTimeout;
    PulseConnection connection(server.toUtf8());
    if (connection.connect(deadline))
        return false;
    const auto sources = connection.sources(deadline);
    return std::any_of(sources.begin(), sources.end(),
                       [](const PulseSource &source) { return !source.isMonitor; });
}
