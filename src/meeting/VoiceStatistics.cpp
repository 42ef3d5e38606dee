#include "meeting/VoiceStatistics.h"

#include <algorithm>
#include <cmath>

namespace {

// Keeps a dimension that happens to be nearly constant from dominating the likelihood.
constexpr double varianceFloor = 1e-3;

// Log-likelihood of the frames under their own Gaussian, up to terms that cancel in the ratio.
double logLikelihood(const VoiceStatistics &statistics, const VoiceStatistics::Values &prior)
{
    if (!(statistics.frames > 0))
        return 0;
    double logVariances = 0;
    for (int d = 0; d < VoiceStatistics::dimensions; ++d) {
        const double mean = statistics.sum[d] / statistics.frames;
        const double scatter = statistics.sumOfSquares[d] - statistics.sum[d] * mean;
        const double variance = (scatter + VoiceStatistics::priorFrames * prior[d]) /
                                (statistics.frames + VoiceStatistics::priorFrames);
        logVariances += std::log(std::max(variance, varianceFloor));
    }
    return -0.5 * statistics.frames * logVariances;
}

} // namespace

void VoiceStatistics::add(const std::array<float, dimensions> &coefficients)
{
    frames += 1;
    for (int d = 0; d < dimensions; ++d) {
        sum[d] += coefficients[d];
        sumOfSquares[d] += double(coefficients[d]) * coefficients[d];
    }
}

VoiceStatistics &VoiceStatistics::operator+=(const VoiceStatistics &other)
{
    frames += other.frames;
    for (int d = 0; d < dimensions; ++d) {
        sum[d] += other.sum[d];
        sumOfSquares[d] += other.sumOfSquares[d];
    }
    return *this;
}

bool VoiceStatistics::isFinite() const
{
    const auto finite = [](double value) { return std::isfinite(value); };
    return std::isfinite(frames) && std::all_of(sum.begin(), sum.end(), finite) &&
           std::all_of(sumOfSquares.begin(), sumOfSquares.end(), finite);
}

VoiceStatistics::Values VoiceStatistics::variances() const
{
    Values result{};
    if (!(frames > 0))
        return result;
    for (int d = 0; d < dimensions; ++d) {
        const double mean = sum[d] / frames;
        result[d] = std::max(sumOfSquares[d] / frames - mean * mean, 0.0);
    }
    return result;
}

double VoiceStatistics::distance(const VoiceStatistics &a, const VoiceStatistics &b, const Values &prior)
{
    VoiceStatistics both = a;
    both += b;
    if (!(both.frames > 1))
        return 0;
    const double ratio = logLikelihood(a, prior) + logLikelihood(b, prior) - logLikelihood(both, prior);
    return ratio / (dimensions * std::log(both.frames));
}
