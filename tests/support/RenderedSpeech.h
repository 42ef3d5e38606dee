#pragma once

#include <QString>

#include <vector>

// Speech spoken by flite's `voice` (slt, rms, awb or kal16) as mono float samples at
// `sampleRate`, converted by sox; empty (with a test warning) when either tool fails.
std::vector<float> renderSpeech(const QString &voice, const QString &text, int sampleRate);

// `seconds` of silence at `sampleRate`: digital zeros, or with `noiseLevel` > 0 a steady white
// noise of that peak amplitude, like a quiet room through a microphone.
std::vector<float> silence(double seconds, int sampleRate, float noiseLevel = 0);

// The share of `expected`'s words (case and punctuation ignored) that occur in `heard`: a
// recogniser gets most words of clear speech right, never all of them.
double wordOverlap(const QString &expected, const QString &heard);
