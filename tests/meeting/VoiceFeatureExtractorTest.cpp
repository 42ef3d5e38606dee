#include "meeting/VoiceFeatureExtractor.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <random>

using Samples = std::vector<float>;
Q_DECLARE_METATYPE(Samples)

namespace {

constexpr double pi = std::numbers::pi;
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

// A voice-like tone: up to ten harmonics below the Nyquist frequency, falling off as 1/h.
Samples harmonic(double rate, double f0, std::size_t count, double amplitude = 0.2, int harmonics = 10)
{
    Samples out(count);
    for (std::size_t n = 0; n < count; ++n) {
        for (int h = 1; h <= harmonics && h * f0 < rate / 2; ++h)
            out[n] += static_cast<float>(amplitude / h * std::sin(2 * pi * h * f0 * n / rate));
    }
    return out;
}

Samples noise(std::size_t count, float amplitude = 0.2f)
{
    std::mt19937 random(static_cast<unsigned>(count));
    std::uniform_real_distribution<float> uniform(-amplitude, amplitude);
    Samples out(count);
    for (float &sample : out)
        sample = uniform(random);
    return out;
}

} // namespace

class VoiceFeatureExtractorTest : public QObject
{
    Q_OBJECT

private slots:
    void pitch_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("f0");
        for (const double f0 : {75.0, 110.0, 165.0, 233.0, 310.0, 390.0}) {
            QTest::addRow("16 kHz, %g Hz", f0) << 16000.0 << f0;
            QTest::addRow("48 kHz, %g Hz", f0) << 48000.0 << f0;
        }
        QTest::addRow("44.1 kHz, 123 Hz") << 44100.0 << 123.0;
        // A period of 41 samples: a search of even lags only lands on twice the period.
        QTest::addRow("16 kHz, odd period 41") << 16000.0 << 16000.0 / 41;
    }

    // Within one step of the lag search (2 samples), on one frame and as the vector's median.
    void pitch()
    {
        QFETCH(double, rate);
        QFETCH(double, f0);
        VoiceFeatureExtractor extractor(rate);
        const Samples signal = harmonic(rate, f0, static_cast<std::size_t>(rate / 2));
        const auto pitch = extractor.estimatePitch(std::span(signal).first(2048));
        QVERIFY(pitch);
        QVERIFY2(std::abs(rate / *pitch - rate / f0) <= 2, qPrintable(QString::number(*pitch)));
        extractor.append(signal);
        QVERIFY(std::abs(rate / ((*extractor.finalizeVector())[voicePitchIndex] * 400) - rate / f0) <= 2);
    }

    void bandEnergies_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<Samples>("frame");
        QTest::newRow("noise, 48 kHz") << 48000.0 << noise(2048);
        QTest::newRow("tone, 16 kHz") << 16000.0 << harmonic(16000, 180, 2048);
        QTest::newRow("noise, 8 kHz, bands clamped") << 8000.0 << noise(2048, 0.1f);
    }

    // 4 x |X[k]|^2 of the periodic, unit-RMS Hann-windowed frame, summed over each band's bins.
    void bandEnergies()
    {
        QFETCH(double, rate);
        QFETCH(Samples, frame);
        VoiceFeatureExtractor extractor(rate);
        const auto energies = extractor.bandEnergies(std::span<const float, 2048>(frame.data(), 2048));
        std::array<double, voiceBandCount> expected{};
        for (std::size_t b = 0; b < expected.size(); ++b) {
            const auto [first, end] = VoiceFeatureExtractor::bandLayout(rate)[b];
            QVERIFY(first >= 1 && end > first && end <= 1023);
            for (int k = first; k < end; ++k) {
                double re = 0, im = 0;
                for (int n = 0; n < 2048; ++n) {
                    const double x = frame[std::size_t(n)] * 0.8165 * (1 - std::cos(2 * pi * n / 2048));
                    re += x * std::cos(2 * pi * k * n / 2048);
                    im -= x * std::sin(2 * pi * k * n / 2048);
                }
                expected[b] += 4 * (re * re + im * im);
            }
        }
        const double total = std::accumulate(expected.begin(), expected.end(), 0.0);
        for (std::size_t b = 0; b < expected.size(); ++b)
            QVERIFY2(
                std::abs(energies[b] - expected[b]) <= 1e-4 * expected[b] + 1e-6 * total,
                qPrintable(QStringLiteral("band %1: %2 vs %3").arg(b).arg(energies[b]).arg(expected[b])));
    }

    void bandLayoutAt48kHz()
    {
        const int edges[] = {3,  4,  5,  6,  8,  10,  12,  15,  19,  23, 29,
                             36, 45, 56, 70, 86, 107, 133, 166, 206, 255};
        const auto layout = VoiceFeatureExtractor::bandLayout(48000);
        for (std::size_t b = 0; b < layout.size(); ++b)
            QCOMPARE(layout[b], (VoiceFeatureExtractor::BandBins{edges[b], edges[b + 1]}));
    }

    void vector_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<int>("voicedFrames");
        QTest::addColumn<bool>("pitched");
        Samples spoiled = harmonic(48000, 150, 10240); // 9 frames
        spoiled[100] = notANumber;                     // frame 0
        spoiled[5000] = infinity;                      // frames 3 and 4
        spoiled[9000] = 1e38f;                         // frames 7 and 8: the transform overflows
        QTest::newRow("nothing") << 48000.0 << Samples{} << 0 << false;
        QTest::newRow("silence") << 48000.0 << Samples(48000) << 0 << false;
        // RMS 0.0099 and 0.0101 around the gate; 1500 Hz fills each frame with whole periods.
        QTest::newRow("below gate") << 48000.0 << harmonic(48000, 1500, 48000, 0.0140, 1) << 0 << false;
        QTest::newRow("above gate") << 48000.0 << harmonic(48000, 1500, 8192, 0.01429, 1) << 7 << true;
        QTest::newRow("two frames") << 48000.0 << harmonic(48000, 150, 4095) << 2 << true;
        QTest::newRow("three frames") << 48000.0 << harmonic(48000, 150, 4096) << 3 << true;
        QTest::newRow("noise has no pitch") << 48000.0 << noise(48000) << 45 << false;
        QTest::newRow("a minute in one buffer") << 48000.0 << noise(48000 * 60) << 2811 << false;
        QTest::newRow("all NaN") << 48000.0 << Samples(8192, notANumber) << 0 << false;
        QTest::newRow("NaN, Inf, 1e38 frames dropped") << 48000.0 << spoiled << 4 << true;
        QTest::newRow("8 kHz") << 8000.0 << harmonic(8000, 150, 8000) << 6 << true;
        QTest::newRow("rate 0") << 0.0 << noise(48000) << 0 << false;
        QTest::newRow("rate negative") << -48000.0 << noise(48000) << 0 << false;
        QTest::newRow("rate NaN") << double(notANumber) << noise(48000) << 0 << false;
        QTest::newRow("rate infinite") << double(infinity) << noise(48000) << 0 << false;
    }

    void vector()
    {
        QFETCH(double, rate);
        QFETCH(Samples, samples);
        QFETCH(int, voicedFrames);
        VoiceFeatureExtractor whole, pieces;
        whole.reset(rate);
        pieces.reset(rate);
        whole.append(samples);
        // Frames hop by 1024 across calls: cutting the audio differently changes nothing.
        for (std::size_t at = 0; at < samples.size(); at += 777)
            pieces.append(std::span(samples).subspan(at, std::min<std::size_t>(777, samples.size() - at)));
        QCOMPARE(whole.voicedFrames(), voicedFrames);
        const auto vector = whole.finalizeVector();
        QCOMPARE(pieces.finalizeVector(), vector);
        QCOMPARE(vector.has_value(), voicedFrames >= 3);
        if (!vector)
            return;
        const double squares = std::inner_product(vector->begin(), vector->end() - 1, vector->begin(), 0.0);
        QVERIFY(std::abs(squares - 1) < 1e-5);
        QTEST((*vector)[voicePitchIndex] > 0, "pitched");
    }
};

QTEST_GUILESS_MAIN(VoiceFeatureExtractorTest)
#include "VoiceFeatureExtractorTest.moc"
