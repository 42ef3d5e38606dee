#include "platform/PocketSphinxTask.h"

#include "platform/DecoderPool.h"
#include "platform/StreamResampler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Audio is decoded in slices of 0.1 s, so that the voice-activity state is looked at often
// enough to end at a pause even when a backlog of seconds is decoded in one go, and so that what
// follows the pause is known to the sample.
constexpr double kSliceSeconds = 0.1;
// Audio kept for the next task after this one has ended; bounded so that a caller that never
// takes it cannot make it grow without end.
constexpr double kMaxUnheardSeconds = 30.0;

std::int16_t toInt16(float sample)
{
    if (!std::isfinite(sample))
        return 0;
    return static_cast<std::int16_t>(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

class Worker
{
public:
    Worker(SphinxTaskState &state, DecoderPool &pool)
        : m_state(state), m_pool(pool), m_resampler(state.sampleRate, SphinxDecoder::sampleRate)
    {}

    void run();

private:
    bool isCancelled();
    // False when the task was cancelled, so nothing was delivered. A result or error that ends
    // the task leaves `m_rest` and the queued audio to the next task.
    bool deliver(const std::optional<RecognitionResult> &result,
                 const std::optional<RecognitionError> &error);
    void fail(RecognitionError::Kind kind, const QString &description);
    // Decodes audio at the task's rate slice by slice; true when the task has ended (a final at
    // a pause, an error, cancel).
    bool decode(std::span<const float> samples);
    // Feeds 16 kHz audio; true when the task has ended.
    bool feed(const std::vector<float> &samples);
    void deliverFinal();

    SphinxTaskState &m_state;
    DecoderPool &m_pool;
    StreamResampler m_resampler;
    std::unique_ptr<SphinxDecoder> m_decoder;
    QString m_hypothesis;
    bool m_wasInSpeech = false;
    std::span<const float> m_rest; // the audio of the current batch after the slice being fed
    std::vector<float> m_converted;
};

void Worker::run()
{
    if (!m_resampler.isValid()) {
        fail(RecognitionError::Kind::Failed, u"Unsupported sample rate %1"_s.arg(m_state.sampleRate));
        return;
    }
    QString error;
    m_decoder = m_pool.acquire(&error, [this] { return isCancelled(); });
    if (!m_decoder && isCancelled())
        return;
    if (!m_decoder || !m_decoder->startUtterance()) {
        m_pool.release(std::move(m_decoder));
        fail(RecognitionError::Kind::Failed, error.isEmpty() ? u"Speech recognizer unavailable"_s : error);
        return;
    }
    std::vector<float> batch;
    for (;;) {
        bool ended = false;
        {
            std::unique_lock lock(m_state.mutex);
            m_state.decodingLeft = 0;
            m_state.wake.wait(
                lock, [&] { return m_state.cancelled || m_state.audioEnded || !m_state.pending.empty(); });
            if (m_state.cancelled)
                break;
            batch.clear();
            batch.swap(m_state.pending);
            ended = m_state.audioEnded;
            m_state.decodingLeft = batch.size();
        }
        if (decode(batch))
            break;
        if (ended) {
            {
                // The decoder's last pass over the utterance is work still to do: not caught up.
                std::lock_guard lock(m_state.mutex);
                m_state.decodingLeft = 1;
            }
            m_converted.clear();
            m_resampler.flush(m_converted);
            m_rest = {};
            if (!feed(m_converted))
                deliverFinal();
            break;
        }
    }
    m_pool.release(std::move(m_decoder));
}

bool Worker::isCancelled()
{
    std::lock_guard lock(m_state.mutex);
    return m_state.cancelled;
}

bool Worker::deliver(const std::optional<RecognitionResult> &result,
                     const std::optional<RecognitionError> &error)
{
    const bool ends = error || (result && result->isFinal);
    std::lock_guard delivery(m_state.deliveryMutex);
    {
        std::lock_guard lock(m_state.mutex);
        if (m_state.cancelled)
            return false;
        if (ends) {
            m_state.finished = true;
            m_state.decodingLeft = 0;
            m_state.unheard.assign(m_rest.begin(), m_rest.end());
            m_state.unheard.insert(m_state.unheard.end(), m_state.pending.begin(), m_state.pending.end());
            m_state.pending.clear();
        }
    }
    if (m_state.handler)
        m_state.handler(result, error);
    return true;
}

void Worker::fail(RecognitionError::Kind kind, const QString &description)
{
    deliver(std::nullopt, RecognitionError{kind, description});
}

bool Worker::decode(std::span<const float> samples)
{
    const auto slice = std::max<std::size_t>(1, std::size_t(std::lround(m_state.sampleRate * kSliceSeconds)));
    for (std::size_t offset = 0; offset < samples.size(); offset += slice) {
        const auto part = samples.subspan(offset, std::min(slice, samples.size() - offset));
        m_rest = samples.subspan(offset + part.size());
        {
            std::lock_guard lock(m_state.mutex);
            m_state.decodingLeft = samples.size() - offset;
        }
        m_converted.clear();
        m_resampler.process(part, m_converted);
        if (feed(m_converted))
            return true;
    }
    return false;
}

bool Worker::feed(const std::vector<float> &samples)
{
    // At most one slice, give or take the resampler's rounding.
    constexpr std::size_t kChunk = 2048;
    std::array<std::int16_t, kChunk> pcm{};
    for (std::size_t offset = 0; offset < samples.size(); offset += kChunk) {
        const auto part = std::span(samples).subspan(offset, std::min(kChunk, samples.size() - offset));
        std::transform(part.begin(), part.end(), pcm.begin(), toInt16);
        if (!m_decoder->process(std::span(pcm).first(part.size()))) {
            fail(RecognitionError::Kind::Failed, u"The speech decoder failed"_s);
            return true;
        }
    }
    const QString hypothesis = m_decoder->hypothesis();
    if (!hypothesis.isEmpty() && hypothesis != m_hypothesis) {
        m_hypothesis = hypothesis;
        if (!deliver(RecognitionResult{hypothesis, false, {}}, std::nullopt))
            return true;
    } else if (isCancelled()) {
        return true;
    }
    // The detector also reports "speech" while it learns the noise floor of a new decoder;
    // only a fall after words were heard is the speaker pausing.
    const bool inSpeech = m_decoder->inSpeech();
    if (m_wasInSpeech && !inSpeech && !m_hypothesis.isEmpty()) {
        deliverFinal();
        return true;
    }
    m_wasInSpeech = inSpeech;
    return false;
}

void Worker::deliverFinal()
{
    const bool ok = m_decoder->endUtterance();
    const QString text = m_decoder->hypothesis();
    const QList<RecognizedWord> words = ok ? m_decoder->words() : QList<RecognizedWord>();
    // Back to the pool before the callback, so a task started from it can take this decoder.
    m_pool.release(std::move(m_decoder));
    if (!ok)
        fail(RecognitionError::Kind::Failed, u"The speech decoder failed"_s);
    else if (text.isEmpty() && m_hypothesis.isEmpty())
        fail(RecognitionError::Kind::NoSpeech, u"No speech detected"_s);
    else
        deliver(RecognitionResult{text, true, words}, std::nullopt);
}

} // namespace

PocketSphinxTask::~PocketSphinxTask()
{
    cancel();
}

void PocketSphinxTask::append(std::span<const float> samples)
{
    if (samples.empty())
        return;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->cancelled || m_state->audioEnded)
            return;
        if (m_state->finished) {
            const auto limit =
                static_cast<std::size_t>(kMaxUnheardSeconds * std::max(m_state->sampleRate, 0.0));
            if (m_state->unheard.size() + samples.size() <= limit)
                m_state->unheard.insert(m_state->unheard.end(), samples.begin(), samples.end());
            return;
        }
        m_state->pending.insert(m_state->pending.end(), samples.begin(), samples.end());
    }
    m_state->wake.notify_one();
}

std::vector<float> PocketSphinxTask::takeUnheardAudio()
{
    std::lock_guard lock(m_state->mutex);
    return std::exchange(m_state->unheard, {});
}

std::size_t PocketSphinxTask::backlog() const
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->finished || m_state->cancelled)
        return 0;
    return m_state->decodingLeft + m_state->pending.size();
}

void PocketSphinxTask::endAudio()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->audioEnded = true;
    }
    m_state->wake.notify_one();
}

void PocketSphinxTask::cancel()
{
    cancelTask(*m_state);
}

void PocketSphinxTask::cancelTask(SphinxTaskState &state)
{
    std::thread::id worker;
    {
        std::lock_guard lock(state.mutex);
        state.cancelled = true;
        state.pending.clear();
        state.unheard.clear();
        worker = state.worker;
    }
    state.wake.notify_one();
    // A callback in flight on the worker finishes first; from the handler itself there is
    // nothing to wait for.
    if (worker != std::this_thread::get_id()) {
        const std::lock_guard delivery(state.deliveryMutex);
    }
}

void PocketSphinxTask::run(SphinxTaskState &state, DecoderPool &pool)
{
    {
        std::lock_guard lock(state.mutex);
        state.worker = std::this_thread::get_id();
    }
    Worker(state, pool).run();
    state.handler = nullptr; // releases what the owner's handler holds
}
