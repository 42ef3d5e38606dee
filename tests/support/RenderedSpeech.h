#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Runs a command-line tool (flite, sox…) to its end; false, with a test warning, when it fails.
bool runTool(const QString &program, const QStringList &arguments);

// Speech spoken by flite's `voice` (slt, rms, awb or kal16) into the WAV file at `path`.
bool renderSpeechFile(const QString &voice, const QString &text, const QString &path);
// The same as mono float samples at `sampleRate`, converted by sox; empty when a tool fails.
std::vector<float> renderSpeech(const QString &voice, const QString &text, int sampleRate);

struct SpokenLine
{
    QString voice;
    QStringList options; // flite's
    QString text;
};
// The lines spoken by flite's voices, 2 s of silence before and after each, as one WAV file of
// 16-bit mono at `sampleRate`; the pieces are made in `folder`.
bool renderConversation(const QList<SpokenLine> &lines, const QString &folder, int sampleRate,
                        const QString &output);

// `seconds` of silence at `sampleRate`: digital zeros, or with `noiseLevel` > 0 a steady white
// noise of that peak amplitude, like a quiet room through a microphone.
std::vector<float> silence(double seconds, int sampleRate, float noiseLevel = 0);

// The share of `expected`'s words (case and punctuation ignored) that occur in `heard`: a
// recogniser gets most words of clear speech right, never all of them.
double wordOverlap(const QString &expected, const QString &heard);
