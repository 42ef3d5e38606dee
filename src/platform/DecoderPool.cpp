#include "platform/DecoderPool.h"

#include <utility>

DecoderPool::DecoderPool(SpeechModel model, std::size_t maxIdle)
    : m_model(std::move(model)), m_maxIdle(maxIdle)
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

std::unique_ptr<SphinxDecoder> DecoderPool::acquire(QString *error)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_idle.empty()) {
            auto decoder = std::move(m_idle.back());
            m_idle.pop_back();
            return decoder;
        }
        // A load already under way is nearer than a new one, unless others wait for it.
        if (m_loading > m_waitingForLoad) {
            ++m_waitingForLoad;
            m_changed.wait(lock);
            --m_waitingForLoad;
            continue;
        }
        lock.unlock();
        return load(error);
    }
}

void DecoderPool::release(std::unique_ptr<SphinxDecoder> decoder)
{
    if (!decoder)
        return;
    decoder->endUtterance();
    std::lock_guard lock(m_mutex);
    if (m_idle.size() >= m_maxIdle)
        return; // the surplus decoder is freed once the lock is released
    m_idle.push_back(std::move(decoder));
    m_changed.notify_all();
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
