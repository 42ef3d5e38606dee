#pragma once

#include <array>

// What a stretch of one voice sounds like: the count, sum and sum of squares of its cepstral
// frames, that is a Gaussian with a diagonal covariance. Statistics of the same voice add up, so
// a roster voice is simply the sum of everything attributed to it.
struct VoiceStatistics
{
    static constexpr int dimensions = 19;
    using Values = std::array<double, dimensions>;

    double frames = 0;
    Values sum{};
    Values sumOfSquares{};

    void add(const std::array<float, dimensions> &coefficients);
    VoiceStatistics &operator+=(const VoiceStatistics &other);
    bool isFinite() const;
    friend bool operator==(const VoiceStatistics &, const VoiceStatistics &) = default;

    // The spread of the frames in each dimension.
    Values variances() const;

    // How unlikely it is that both were spoken by one voice: the generalised likelihood ratio of
    // one Gaussian for both against one for each, per dimension and per log of the frame count,
    // so that long and short stretches compare on one scale. About 0, or
    // below, for two stretches of one voice.
    //
    // Each Gaussian's variances start from `prior`, worth `priorFrames` frames, before its own
    // frames move them: a stretch of a second or two shows only part of a voice's spread, and
    // measured alone it would make the voice's next stretch look like a stranger.
    static constexpr double priorFrames = 20;
    static double distance(const VoiceStatistics &a, const VoiceStatistics &b, const Values &prior);
};
