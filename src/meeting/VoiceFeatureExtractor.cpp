#include "meeting/VoiceFeatureExtractor.h"

#include "platform/Fft.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Frames whose RMS does not exceed this are treated as silence.
constexpr double loudnessGate = 0.01;
// Pitch search range in hertz.
constexpr double highestPitch = 400;
constexpr double lowestPitch = 60;
// Below this rate the pitch search tries every lag rather than every second one.
constexpr double fullLagSearchBelowRate = 40000;
// A lag must explain more than this share of the frame's energy to count as a pitch.
constexpr float periodicityThreshold = 0.3f;
// Element 20 stores pitch / 400 so that it sits near the scale of the band elements.
constexpr float pitchScale = 400;
constexpr int minimumVoicedFrames = 3;

// The bands split 80 Hz ... 6000 Hz into equal steps on a log scale: ln 80 and ln(6000 / 80).
constexpr float logLowestBandHz = 4.3820267f;
constexpr float logBandSpan = 4.3174877f;

// Hann window scaled to unit RMS (0.8165 ~ sqrt(2/3)), periodic: the denominator is the frame
// length, not length - 1.
constexpr double windowScale = 0.8165;

// Whole part of a non-negative bin position, clamped so that absurd rates cannot overflow int.
int wholeBin(float position)
{
    if (!(position > 0))
        return 0;
    return static_cast<int>(std::min(position, static_cast<float>(VoiceFeatureExtractor::fftSize)));
}

// Eight independent partial sums let the compiler keep several SIMD lanes busy; a single
// running sum would serialise every addition. This loop is where feature extraction spends
// nearly all of its time.
float dot(const float *a, const float *b, std::size_t count)
{
    constexpr std::size_t lanes = 8;
    float partial[lanes] = {};
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        for (std::size_t lane = 0; lane < lanes; ++lane)
            partial[lane] += a[i + lane] * b[i + lane];
    }
    float sum = 0;
    for (; i < count; ++i)
        sum += a[i] * b[i];
    for (float value : partial)
        sum += value;
    return sum;
}

// The band edges and the pitch use the rate as a float, so it must fit one. NaN fails both tests.
bool isUsableRate(double sampleRate)
{
    return sampleRate > 0 && sampleRate <= std::numeric_limits<float>::max();
}

} // namespace

VoiceFeatureExtractor::VoiceFeatureExtractor(double sampleRate)
    : m_fft(std::make_unique<RealFft>(fftSize)), m_spectrum(static_cast<std::size_t>(fftSize / 2 + 1))
{
    for (int n = 0; n < fftSize; ++n) {
        const double phase = 2 * std::numbers::pi * n / fftSize;
        m_window[static_cast<std::size_t>(n)] = static_cast<float>(windowScale * (1 - std::cos(phase)));
    }
    m_pending.reserve(fftSize);
    reset(sampleRate);
}

VoiceFeatureExtractor::~VoiceFeatureExtractor() = default;

void VoiceFeatureExtractor::reset(double sampleRate)
{
    m_sampleRate = sampleRate;
    m_bandLayout.reset();
    if (isUsableRate(sampleRate))
        m_bandLayout = bandLayout(sampleRate);
    m_frameSums.fill(0);
    m_voicedFrames = 0;
    m_pitches.clear();
    m_pending.clear();
}

VoiceFeatureExtractor::BandLayout VoiceFeatureExtractor::bandLayout(double sampleRate)
{
    if (!isUsableRate(sampleRate))
        return {};
    const float binHz = static_cast<float>(sampleRate) / static_cast<float>(fftSize);
    BandLayout layout;
    for (int band = 0; band < voiceBandCount; ++band) {
        const float lowHz = std::exp(static_cast<float>(band) * logBandSpan / 20.0f + logLowestBandHz);
        const float highHz = std::exp(static_cast<float>(band + 1) * logBandSpan / 20.0f + logLowestBandHz);
        // Below about 9.7 kHz the top bands would run past the last bin; clamping both ends
        // keeps every band at least one real bin wide.
        const int first = std::clamp(wholeBin(lowHz / binHz), 1, lastBin - 1);
        const int end = std::min(std::max(first + 1, wholeBin(highHz / binHz)), lastBin);
        layout[static_cast<std::size_t>(band)] = {first, end};
    }
    return layout;
}

void VoiceFeatureExtractor::append(std::span<const float> samples)
{
    if (!isUsable() || samples.empty())
        return;

    // The unconsumed stream is m_pending (always shorter than a frame) followed by samples.
    const std::size_t pendingCount = m_pending.size();
    const std::size_t total = pendingCount + samples.size();
    std::size_t start = 0;
    for (; start + fftSize <= total; start += hopSize) {
        if (start >= pendingCount) {
            process(Frame(samples.data() + (start - pendingCount), fftSize));
            continue;
        }
        const std::size_t fromPending = pendingCount - start;
        auto *const next = std::copy(m_pending.begin() + static_cast<std::ptrdiff_t>(start), m_pending.end(),
                                     m_frame.begin());
        std::copy_n(samples.begin(), fftSize - fromPending, next);
        process(m_frame);
    }

    if (start < pendingCount) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(start));
        m_pending.insert(m_pending.end(), samples.begin(), samples.end());
    } else {
        m_pending.assign(samples.begin() + static_cast<std::ptrdiff_t>(start - pendingCount), samples.end());
    }
}

void VoiceFeatureExtractor::process(Frame frame)
{
    double sumOfSquares = 0;
    for (const float sample : frame)
        sumOfSquares += static_cast<double>(sample) * sample;
    const double rms = std::sqrt(sumOfSquares / fftSize);
    // A NaN or infinite sample would poison every later sum of the utterance; such a frame is
    // dropped like a quiet one.
    if (!std::isfinite(rms) || !(rms > loudnessGate))
        return;

    const auto energies = bandEnergies(frame);
    std::array<double, voiceBandCount> logEnergies{};
    for (std::size_t band = 0; band < energies.size(); ++band) {
        logEnergies[band] = std::log(1.0 + static_cast<double>(energies[band]));
        // Samples near the float limit overflow the transform; skip rather than poison.
        if (!std::isfinite(logEnergies[band]))
            return;
    }
    for (std::size_t band = 0; band < logEnergies.size(); ++band)
        m_frameSums[band] += logEnergies[band];

    if (const auto pitch = estimatePitch(frame))
        m_pitches.push_back(*pitch);
    ++m_voicedFrames;
}

std::array<float, voiceBandCount> VoiceFeatureExtractor::bandEnergies(Frame frame)
{
    std::array<float, voiceBandCount> energies{};
    if (!isUsable())
        return energies;

    for (std::size_t n = 0; n < frame.size(); ++n)
        m_windowed[n] = frame[n] * m_window[n];
    m_fft->forward(m_windowed.data(), m_spectrum.data());

    for (std::size_t band = 0; band < energies.size(); ++band) {
        const BandBins bins = (*m_bandLayout)[band];
        float energy = 0;
        for (int bin = bins.first; bin < bins.end; ++bin)
            energy += 4.0f * std::norm(m_spectrum[static_cast<std::size_t>(bin)]);
        energies[band] = energy;
    }
    return energies;
}

std::optional<float> VoiceFeatureExtractor::estimatePitch(std::span<const float> frame) const
{
    if (!isUsable())
        return std::nullopt;

    const auto length = static_cast<double>(frame.size());
    const double minLag = std::floor(m_sampleRate / highestPitch);
    const double maxLag = std::min(length - 1, std::floor(m_sampleRate / lowestPitch));
    if (!(maxLag > minLag))
        return std::nullopt;

    const float *samples = frame.data();
    const float energy = dot(samples, samples, frame.size());
    if (!(energy > 0))
        return std::nullopt;

    // Every second lag halves the cost at 40 kHz and up, where two samples are at most 2% of
    // the shortest period. At lower rates a skipped lag is a large share of a short period:
    // for an odd period both neighbours correlate worse than twice the period, and the search
    // reports half the pitch. There every lag is tried, still within 1.7 times the lags that
    // a 48 kHz frame needs.
    const std::size_t lagStep = m_sampleRate >= fullLagSearchBelowRate ? 2 : 1;
    float bestCorrelation = 0;
    std::size_t bestLag = 0;
    const auto end = static_cast<std::size_t>(maxLag);
    for (auto lag = static_cast<std::size_t>(minLag); lag < end; lag += lagStep) {
        const float correlation = dot(samples, samples + lag, frame.size() - lag);
        if (correlation > bestCorrelation) {
            bestCorrelation = correlation;
            bestLag = lag;
        }
    }
    if (bestLag < 1 || !(bestCorrelation / energy > periodicityThreshold))
        return std::nullopt;
    return static_cast<float>(m_sampleRate) / static_cast<float>(bestLag);
}

std::optional<VoiceVector> VoiceFeatureExtractor::finalizeVector() const
{
    if (m_voicedFrames < minimumVoicedFrames)
        return std::nullopt;

    VoiceVector vector{};
    for (std::size_t band = 0; band < m_frameSums.size(); ++band)
        vector[band] = static_cast<float>(m_frameSums[band] / m_voicedFrames);

    if (!m_pitches.empty()) {
        // The upper middle one for an even count.
        std::vector<float> pitches = m_pitches;
        const auto middle = pitches.begin() + static_cast<std::ptrdiff_t>(pitches.size() / 2);
        std::nth_element(pitches.begin(), middle, pitches.end());
        vector[voicePitchIndex] = *middle / pitchScale;
    }

    float sumOfSquares = 0;
    for (int band = 0; band < voiceBandCount; ++band)
        sumOfSquares += vector[static_cast<std::size_t>(band)] * vector[static_cast<std::size_t>(band)];
    const float norm = std::sqrt(sumOfSquares);
    if (norm > 0) {
        for (int band = 0; band < voiceBandCount; ++band)
            vector[static_cast<std::size_t>(band)] /= norm;
    }
    return vector;
}
