#pragma once

#include "meeting/VoiceVector.h"

#include <array>
#include <complex>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class RealFft;

// Condenses the loud audio of one utterance into a VoiceVector. Frames of 2048 samples with a
// hop of 1024 are gated by loudness; each voiced frame adds its band energies and, when it is
// periodic enough, its pitch.
//
// One instance per meeting session: the FFT plan and window are made once here and reused, and
// reset() starts each utterance. An instance may live on any thread but must be used from one
// thread at a time.
class VoiceFeatureExtractor
{
public:
    static constexpr int fftSize = 2048;
    static constexpr int hopSize = fftSize / 2;
    // Bins 1..lastBin carry the band powers; bin 0 (DC) is never used.
    static constexpr int lastBin = fftSize / 2 - 1;
    static constexpr double defaultSampleRate = 48000;

    // A band's FFT bins, first inclusive, end exclusive.
    struct BandBins
    {
        int first = 0;
        int end = 0;
        bool operator==(const BandBins &) const = default;
    };
    using BandLayout = std::array<BandBins, voiceBandCount>;
    using Frame = std::span<const float, fftSize>;

    explicit VoiceFeatureExtractor(double sampleRate = defaultSampleRate);
    ~VoiceFeatureExtractor();
    VoiceFeatureExtractor(const VoiceFeatureExtractor &) = delete;
    VoiceFeatureExtractor &operator=(const VoiceFeatureExtractor &) = delete;

    // Starts a new utterance at this rate. A rate that is not a positive finite number leaves
    // the extractor unable to measure anything: it ignores samples until the next reset, and
    // the utterance yields no vector.
    void reset(double sampleRate);
    void append(std::span<const float> samples);
    // The utterance's voice vector, or nothing when fewer than 3 frames were voiced.
    std::optional<VoiceVector> finalizeVector() const;

    double sampleRate() const { return m_sampleRate; }
    int voicedFrames() const { return m_voicedFrames; }

    // The per-frame measurements, exposed so that diagnostics and tests can look at one frame.
    // A bin's power is 4 x |X[k]|^2 of the windowed frame's discrete Fourier transform. The
    // factor matters: log(1 + energy) is not scale-free, and the diarizer's threshold was
    // tuned on vectors built at this scale.
    std::array<float, voiceBandCount> bandEnergies(Frame frame);
    std::optional<float> estimatePitch(std::span<const float> frame) const;

    // Empty bands (no bins) for a rate the extractor cannot use.
    static BandLayout bandLayout(double sampleRate);

private:
    void process(Frame frame);
    bool isUsable() const { return m_bandLayout.has_value(); }

    double m_sampleRate = defaultSampleRate;
    std::optional<BandLayout> m_bandLayout;
    std::unique_ptr<RealFft> m_fft;
    std::array<float, fftSize> m_window{};

    std::array<double, voiceBandCount> m_frameSums{};
    int m_voicedFrames = 0;
    std::vector<float> m_pitches;
    // Fewer than fftSize samples that wait for the next append.
    std::vector<float> m_pending;

    // Scratch space, kept to avoid allocating per frame.
    std::array<float, fftSize> m_frame{};
    std::array<float, fftSize> m_windowed{};
    std::vector<std::complex<float>> m_spectrum;
};
