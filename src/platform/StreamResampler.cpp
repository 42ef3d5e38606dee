#include "platform/StreamResampler.h"

#include <soxr.h>

#include <cmath>

StreamResampler::StreamResampler(double inputRate, double outputRate)
{
    if (!(inputRate > 0) || !(outputRate > 0) || !std::isfinite(inputRate) || !std::isfinite(outputRate))
        return;
    m_valid = true;
    if (inputRate == outputRate)
        return;
    m_ratio = outputRate / inputRate;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    m_soxr = soxr_create(inputRate, outputRate, 1, &error, nullptr, &quality, nullptr);
    if (error || !m_soxr) {
        soxr_delete(m_soxr);
        m_soxr = nullptr;
        m_valid = false;
    }
}

StreamResampler::~StreamResampler()
{
    soxr_delete(m_soxr);
}

void StreamResampler::process(std::span<const float> input, std::vector<float> &output)
{
    if (!m_valid || input.empty())
        return;
    if (!m_soxr) {
        output.insert(output.end(), input.begin(), input.end());
        return;
    }
    drain(input.data(), input.size(), output);
}

void StreamResampler::flush(std::vector<float> &output)
{
    if (m_soxr)
        drain(nullptr, 0, output);
}

// Feeds `input` (none: the end of the stream) and collects everything soxr hands back.
void StreamResampler::drain(const float *input, std::size_t length, std::vector<float> &output)
{
    const std::size_t room = static_cast<std::size_t>(std::ceil(double(length) * m_ratio)) + 256;
    std::size_t consumed = 0;
    for (;;) {
        const std::size_t start = output.size();
        output.resize(start + room);
        std::size_t taken = 0;
        std::size_t produced = 0;
        const soxr_error_t error = soxr_process(m_soxr, input ? input + consumed : nullptr, length - consumed,
                                                &taken, output.data() + start, room, &produced);
        output.resize(start + (error ? 0 : produced));
        consumed += taken;
        if (error || (consumed >= length && produced < room))
            return;
    }
}
