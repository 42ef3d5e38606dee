// CPU time of voice feature extraction per second of 48 kHz audio, on one core.
#include "meeting/VoiceFeatureExtractor.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

namespace {

// A voiced, slightly noisy signal with a gliding fundamental, so that every frame passes the
// loudness gate and the full pitch search runs.
std::vector<float> syntheticSpeech(double sampleRate, double seconds)
{
    std::vector<float> samples(static_cast<std::size_t>(sampleRate * seconds));
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.01f);
    double phase = 0;
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double fundamental = 120 + 60 * std::sin(2 * std::numbers::pi * 0.5 * n / sampleRate);
        phase += 2 * std::numbers::pi * fundamental / sampleRate;
        double value = 0;
        for (int harmonic = 1; harmonic <= 12; ++harmonic)
            value += 0.3 / harmonic * std::sin(harmonic * phase);
        samples[n] = static_cast<float>(value) + noise(random);
    }
    return samples;
}

} // namespace

int main()
{
    constexpr double sampleRate = 48000;
    constexpr std::size_t bufferFrames = 2048;
    const std::vector<float> audio = syntheticSpeech(sampleRate, 10);

    VoiceFeatureExtractor extractor(sampleRate);
    long long frames = 0;
    float checksum = 0;
    const auto started = std::chrono::steady_clock::now();
    std::chrono::duration<double> elapsed{};
    // Utterances of 10 s, fed in capture-sized buffers, until at least 3 s have been measured.
    while (elapsed.count() < 3) {
        extractor.reset(sampleRate);
        for (std::size_t offset = 0; offset + bufferFrames <= audio.size(); offset += bufferFrames)
            extractor.append(std::span(audio).subspan(offset, bufferFrames));
        frames += extractor.frameCount();
        if (const auto statistics = extractor.statistics())
            checksum += float(statistics->sum[0] / statistics->frames);
        elapsed = std::chrono::steady_clock::now() - started;
    }

    // Frames come every 10 ms of audio.
    const double audioSeconds = static_cast<double>(frames) * 0.010;
    std::printf("VoiceFeatures: %.2f ms of CPU per second of 48 kHz audio (%.0f x real time)"
                " [checksum %.4f]\n",
                1000 * elapsed.count() / audioSeconds, audioSeconds / elapsed.count(),
                static_cast<double>(checksum));
    return 0;
}
