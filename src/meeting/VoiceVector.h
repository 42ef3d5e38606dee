#pragma once

#include <array>

// What one utterance sounds like, in a form cheap to compare: elements 0-19 are the spectral
// envelope (20 log-spaced bands from 80 Hz to 6 kHz, scaled to unit length), element 20 is the
// median pitch in hertz divided by 400 (0 when no frame had a pitch).
inline constexpr int voiceBandCount = 20;
inline constexpr int voicePitchIndex = 20;
using VoiceVector = std::array<float, voiceBandCount + 1>;
