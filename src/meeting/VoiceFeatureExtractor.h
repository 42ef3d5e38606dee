#pragma once

#include "meeting/VoiceStatistics.h"

#include <array>
#include <complex>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class RealFft;

// Condenses the audio of one stretch of speech into VoiceStatistics: mel-frequency cepstral
// coefficients c1…c19 of 25 ms frames every 10 ms, counting only the frames within 30 dB of
// the stretch's loudest, so pauses and breath do not blur the voice.
//
// One instance per meeting session: the FFT plan, window and filters are made once per sample
// rate, and reset() starts each stretch. Must be used from one thread at a time.
class VoiceFeatureExtractor
{
public:
    static constexpr double defaultSampleRate = 48000;
    static constexpr int melBands = 40;
    using Coefficients = std::array<float, VoiceStatistics::dimensions>;

    explicit VoiceFeatureExtractor(double sampleRate = defaultSampleRate);
    ~VoiceFeatureExtractor();
    VoiceFeatureExtractor(const VoiceFeatureExtractor &) = delete;
    VoiceFeatureExtractor &operator=(const VoiceFeatureExtractor &) = delete;

    // Starts a new stretch at this rate. A rate too low for the filters (under 8 kHz), NaN or
    // infinite leaves the extractor ignoring samples until the next reset.
    void reset(double sampleRate);
    void append(std::span<const float> samples);
    // The stretch's statistics, or nothing when fewer than 3 frames were loud enough.
    std::optional<VoiceStatistics> statistics() const;

    double sampleRate() const { return m_sampleRate; }
    int frameCount() const { return int(m_frames.size()); }

private:
    struct Frame
    {
        float level = 0; // dB, relative to full scale
        Coefficients coefficients{};
    };
    struct Filter
    {
        int firstBin = 0;
        std::vector<float> weights;
    };

    void configure(double sampleRate);
    // Reads the sample before the frame and the frame.
    void process(const float *previousAndFrame);

    double m_sampleRate = 0;
    double m_configuredRate = 0;
    int m_frameLength = 0;
    int m_hop = 0;
    std::unique_ptr<RealFft> m_fft;
    std::vector<float> m_window;
    std::vector<Filter> m_filters;
    std::vector<float> m_cosines; // dimensions x melBands, orthonormal DCT-II rows 1…19

    std::vector<float> m_pending;
    std::vector<Frame> m_frames;

    // Scratch space, kept to avoid allocating per frame.
    std::vector<float> m_windowed;
    std::vector<std::complex<float>> m_spectrum;
};
