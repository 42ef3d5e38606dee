#include "support/FakeAudioInput.h"

FakeAudioInput::FakeAudioInput() : m_thread(QStringLiteral("fake audio input")) {}

std::optional<QString> FakeAudioInput::start(BufferHandler onBuffer)
{
    ++m_starts;
    if (startFailure)
        return startFailure;
    std::lock_guard lock(m_mutex);
    m_handler = std::move(onBuffer);
    return std::nullopt;
}

void FakeAudioInput::stop()
{
    std::lock_guard lock(m_mutex);
    m_handler = nullptr;
}

bool FakeAudioInput::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<bool>(m_handler);
}

void FakeAudioInput::push(std::vector<float> samples)
{
    m_thread.post([this, samples = std::move(samples)] {
        std::lock_guard lock(m_mutex);
        if (m_handler)
            m_handler(samples);
    });
    m_thread.waitUntilIdle();
}

void FakeAudioInput::pushConstant(float value, int buffers, int frames)
{
    for (int i = 0; i < buffers; ++i)
        push(std::vector<float>(static_cast<size_t>(frames), value));
}

void FakeAudioInput::end(const QString &reason)
{
    m_thread.post([this, reason] {
        {
            std::lock_guard lock(m_mutex);
            if (!m_handler)
                return;
            m_handler = nullptr;
        }
        if (onEnded)
            onEnded(reason);
    });
    m_thread.waitUntilIdle();
}
