#include "meeting/VoiceFeatureExtractor.h"

#include "platform/Fft.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace {

constexpr double frameSeconds = 0.025;
constexpr double hopSeconds = 0.010;
constexpr float preEmphasis = 0.97f;
constexpr double lowestHz = 60;
constexpr double highestHz = 7600;
// The filters need room between the lowest edge and the Nyquist frequency.
constexpr double lowestUsableRate = 8000;
constexpr float logFloor = 1e-8f;
// Frames this far below the stretch's loudest are pauses, breath or reverberation.
constexpr float keptRangeDb = 30;
constexpr int minimumFrames = 3;
// Frames quieter than this (mean power) are digital silence.
constexpr float silenceDb = -90;

double toMel(double hz)
{
    return 2595.0 * std::log10(1.0 + hz / 700.0);
}

double fromMel(double mel)
{
    return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0);
}

} // namespace

VoiceFeatureExtractor::VoiceFeatureExtractor(double sampleRate)
{
    reset(sampleRate);
}

VoiceFeatureExtractor::~VoiceFeatureExtractor() = default;

void VoiceFeatureExtractor::reset(double sampleRate)
{
    m_sampleRate = sampleRate;
    if (sampleRate != m_configuredRate)
        configure(sampleRate);
    // The sample before the first one: silence.
    m_pending.assign(1, 0.0f);
    m_frames.clear();
}

void VoiceFeatureExtractor::configure(double sampleRate)
{
    m_configuredRate = sampleRate;
    m_fft.reset();
    m_filters.clear();
    if (!(sampleRate >= lowestUsableRate) || !std::isfinite(sampleRate) || sampleRate > 1e6)
        return;

    m_frameLength = int(std::lround(sampleRate * frameSeconds));
    m_hop = int(std::lround(sampleRate * hopSeconds));
    const int fftSize = int(std::bit_ceil(unsigned(m_frameLength)));
    m_fft = std::make_unique<RealFft>(fftSize);
    m_windowed.assign(std::size_t(fftSize), 0.0f);
    m_spectrum.resize(std::size_t(m_fft->binCount()));

    m_window.resize(std::size_t(m_frameLength));
    for (int n = 0; n < m_frameLength; ++n)
        m_window[std::size_t(n)] =
            float(0.54 - 0.46 * std::cos(2 * std::numbers::pi * n / double(m_frameLength - 1)));

    // Triangular filters, evenly spaced on the mel scale.
    const double binHz = sampleRate / fftSize;
    const double lowMel = toMel(lowestHz);
    const double highMel = toMel(std::min(highestHz, sampleRate / 2));
    std::array<double, melBands + 2> edges{};
    for (int i = 0; i < melBands + 2; ++i)
        edges[std::size_t(i)] = fromMel(lowMel + (highMel - lowMel) * i / (melBands + 1));
    for (int band = 0; band < melBands; ++band) {
        const double left = edges[std::size_t(band)];
        const double centre = edges[std::size_t(band + 1)];
        const double right = edges[std::size_t(band + 2)];
        Filter filter;
        filter.firstBin = int(std::ceil(left / binHz));
        for (int bin = filter.firstBin; bin * binHz < right && bin < m_fft->binCount(); ++bin) {
            const double hz = bin * binHz;
            filter.weights.push_back(
                float(hz <= centre ? (hz - left) / (centre - left) : (right - hz) / (right - centre)));
        }
        m_filters.push_back(std::move(filter));
    }

    m_cosines.resize(std::size_t(VoiceStatistics::dimensions * melBands));
    const double scale = std::sqrt(2.0 / melBands);
    for (int k = 1; k <= VoiceStatistics::dimensions; ++k) {
        for (int m = 0; m < melBands; ++m)
            m_cosines[std::size_t((k - 1) * melBands + m)] =
                float(scale * std::cos(std::numbers::pi * k * (m + 0.5) / melBands));
    }
}

void VoiceFeatureExtractor::append(std::span<const float> samples)
{
    if (!m_fft || samples.empty())
        return;
    // m_pending holds the samples not yet framed, after the one sample before them that the
    // pre-emphasis of the first needs.
    m_pending.insert(m_pending.end(), samples.begin(), samples.end());
    const std::size_t length = std::size_t(m_frameLength);
    std::size_t start = 0;
    for (; m_pending.size() - start - 1 >= length; start += std::size_t(m_hop))
        process(m_pending.data() + start);
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(start));
}

void VoiceFeatureExtractor::process(const float *previousAndFrame)
{
    // The level is that of the plain audio: emphasised, the quiet high hiss of a room would come
    // near the level of a voice.
    const float *frame = previousAndFrame + 1;
    double power = 0;
    for (int n = 0; n < m_frameLength; ++n)
        power += double(frame[n]) * frame[n];
    const auto level = float(10 * std::log10(power / m_frameLength + 1e-30));
    // A NaN or infinite sample would poison the whole stretch; such a frame is dropped.
    if (!std::isfinite(level) || level < silenceDb)
        return;
    for (int n = 0; n < m_frameLength; ++n)
        m_windowed[std::size_t(n)] = (frame[n] - preEmphasis * frame[n - 1]) * m_window[std::size_t(n)];
    m_fft->forward(m_windowed.data(), m_spectrum.data());

    std::array<float, melBands> logEnergies{};
    for (std::size_t band = 0; band < m_filters.size(); ++band) {
        const Filter &filter = m_filters[band];
        float energy = 0;
        for (std::size_t i = 0; i < filter.weights.size(); ++i)
            energy += filter.weights[i] * std::norm(m_spectrum[std::size_t(filter.firstBin) + i]);
        logEnergies[band] = std::log(energy + logFloor);
    }

    Frame result;
    result.level = level;
    for (int k = 0; k < VoiceStatistics::dimensions; ++k) {
        const float *row = m_cosines.data() + std::size_t(k * melBands);
        float value = 0;
        for (int m = 0; m < melBands; ++m)
            value += row[m] * logEnergies[std::size_t(m)];
        result.coefficients[std::size_t(k)] = value;
    }
    m_frames.push_back(result);
}

std::optional<VoiceStatistics> VoiceFeatureExtractor::statistics() const
{
    float loudest = -1e30f;
    for (const Frame &frame : m_frames)
        loudest = std::max(loudest, frame.level);
    VoiceStatistics statistics;
    for (const Frame &frame : m_frames) {
        if (frame.level >= loudest - keptRangeDb)
            statistics.add(frame.coefficients);
    }
    if (statistics.frames < minimumFrames)
        return std::nullopt;
    return statistics;
}
