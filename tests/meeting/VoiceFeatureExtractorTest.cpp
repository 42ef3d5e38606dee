#include "meeting/VoiceFeatureExtractor.h"
#include "TestRegistry.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

using Samples = std::vector<float>;
Q_DECLARE_METATYPE(Samples)

namespace {

// A voice-like sound: harmonics of a wavering fundamental falling off as 1/h^rolloff, in noise.
Samples voice(double f0, double rolloff, double seconds, unsigned seed = 1, double amplitude = 0.1)
{
    constexpr double rate = 48000;
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 0.0005);
    Samples out(std::size_t(rate * seconds));
    double phase = 0;
    for (std::size_t n = 0; n < out.size(); ++n) {
        phase +=
            2 * std::numbers::pi * f0 * (1 + 0.05 * std::sin(2 * std::numbers::pi * 3 * n / rate)) / rate;
        double value = noise(random);
        for (int h = 1; h * f0 < 6000; ++h)
            value += amplitude * std::sin(h * phase) / std::pow(h, rolloff);
        out[n] = float(value);
    }
    return out;
}

Samples joined(Samples a, const Samples &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::optional<VoiceStatistics> statisticsOf(const Samples &samples, double rate = 48000)
{
    VoiceFeatureExtractor extractor(rate);
    extractor.append(samples);
    return extractor.statistics();
}

} // namespace

class VoiceFeatureExtractorTest : public QObject
{
    Q_OBJECT

private slots:
    void keptFrames_data()
    {
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("frames"); // 0: no statistics
        // Frames of 1200 samples every 480 at 48 kHz.
        QTest::newRow("silence") << Samples(48000) << 48000.0 << 0;
        QTest::newRow("two frames") << voice(120, 1, 1680 / 48000.0) << 48000.0 << 0;
        QTest::newRow("three frames") << voice(120, 1, 2160 / 48000.0) << 48000.0 << 3;
        // The faint tail lies more than 30 dB below: only the 48 frames of the loud second count,
        // with the two that straddle the edge.
        QTest::newRow("faint tail left out")
            << joined(voice(120, 1, 0.5), voice(120, 1, 0.5, 2, 0.001)) << 48000.0 << 50;
        Samples poisoned = voice(120, 1, 0.5);
        poisoned[12000] = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("frames with a NaN dropped") << poisoned << 48000.0 << 45;
        QTest::newRow("rate too low") << voice(120, 1, 1) << 4000.0 << 0;
        QTest::newRow("NaN rate") << voice(120, 1, 1) << std::numeric_limits<double>::quiet_NaN() << 0;
    }

    void keptFrames()
    {
        QFETCH(Samples, samples);
        QFETCH(double, rate);
        QFETCH(int, frames);
        const std::optional<VoiceStatistics> statistics = statisticsOf(samples, rate);
        QCOMPARE(statistics ? int(statistics->frames) : 0, frames);
        if (statistics)
            QVERIFY(statistics->isFinite());
    }

    // Capture buffers split the audio anywhere; the result must not depend on where.
    void appendInPieces()
    {
        const Samples samples = voice(140, 1.5, 0.7);
        VoiceFeatureExtractor pieces;
        for (std::size_t offset = 0, size = 1; offset < samples.size();
             offset += size, size = size * 3 % 2047 + 1)
            pieces.append(std::span(samples).subspan(offset, std::min(size, samples.size() - offset)));
        QCOMPARE(pieces.statistics(), statisticsOf(samples));
        pieces.reset(48000);
        QCOMPARE(pieces.statistics(), std::nullopt);
    }
};

DICTRAVA_TEST(VoiceFeatureExtractorTest)
#include "VoiceFeatureExtractorTest.moc"
