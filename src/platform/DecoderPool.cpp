#include "platform/DecoderPool.h"

#include <algorithm>
#include <chrono>
#include <utility>

DecoderPool::DecoderPool(SpeechModel model, std::size_t maxIdle, std::size_t maxLive)
    : m_model(std::move(model)), m_maxIdle(maxIdle), m_maxLive(std::max<std::size_t>(maxLive, 1))
{}

void DecoderPool::preload()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_loading;
    }
    auto decoder = load(nullptr);
    std::lock_guard lock(m_mutex);
    --m_loading;
    if (decoder)
        m_idle.push_back(std::move(decoder));
    m_changed.notify_all();
}

std::unique_ptr<SphinxDecoder> DecoderPool::acquire(QString *error, const std::function<bool()> &abandoned)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_idle.empty()) {
            auto decoder = std::move(m_idle.back());
            m_idle.pop_back();
            ++m_lent;
            return decoder;
        }
        // A load already under way is nearer than a new one, unless others wait for it.
        if (m_loading > m_waitingForLoad) {
            ++m_waitingForLoad;
            m_changed.wait(lock);
            --m_waitingForLoad;
            continue;
        }
        if (m_lent + m_loadingOwn + std::size_t(m_loading) >= m_maxLive) {
            // A task hands its decoder back; a task cancelled meanwhile stops waiting.
            m_changed.wait_for(lock, std::chrono::milliseconds(100));
            if (abandoned && abandoned())
                return nullptr;
            continue;
        }
        ++m_loadingOwn;
        lock.unlock();
        auto decoder = load(error);
        lock.lock();
        --m_loadingOwn;
        if (decoder)
            ++m_lent;
        else
            m_changed.notify_all(); // the slot is free again
        return decoder;
    }
}

void DecoderPool::release(std::unique_ptr<SphinxDecoder> decoder)
{
    if (!decoder)
        return;
    decoder->endUtterance();
    std::unique_lock lock(m_mutex);
    --m_lent;
    if (m_idle.size() < m_maxIdle)
        m_idle.push_back(std::move(decoder));
    m_changed.notify_all();
    lock.unlock();
    decoder.reset(); // a surplus decoder is freed outside the lock: that takes a while
}

bool DecoderPool::hasFailed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

std::unique_ptr<SphinxDecoder> DecoderPool::load(QString *error)
{
    QString why;
    auto decoder = SphinxDecoder::load(m_model, &why);
    if (!decoder) {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        if (error)
            *error = why;
    }
    return decoder;
}
