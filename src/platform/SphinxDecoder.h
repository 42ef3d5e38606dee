#pragma once

#include "platform/SpeechModel.h"
#include "platform/SpeechRecognizer.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct ps_decoder_s;

// One loaded PocketSphinx decoder: 16 kHz, 16-bit mono in, words out. Loading takes a few
// tenths of a second, so decoders are kept and reused; one decoder serves one thread at a time.
class SphinxDecoder
{
public:
    static constexpr double sampleRate = 16000.0;

    // Null with `error` set when the model cannot be loaded.
    static std::unique_ptr<SphinxDecoder> load(const SpeechModel &model, QString *error);
    ~SphinxDecoder();
    SphinxDecoder(const SphinxDecoder &) = delete;
    SphinxDecoder &operator=(const SphinxDecoder &) = delete;

    bool startUtterance();
    bool process(std::span<const std::int16_t> samples);
    // Whether the voice-activity detector hears speech at the end of the audio so far.
    bool inSpeech() const;
    // The current best words (lower case, no punctuation); the final words after endUtterance().
    QString hypothesis() const;
    bool endUtterance();
    // The words of the hypothesis with their times since startUtterance(); fillers left out.
    QList<RecognizedWord> words() const;

private:
    SphinxDecoder() = default;

    ps_decoder_s *m_decoder = nullptr;
    std::vector<float> m_initialCepstralMean;
    bool m_inUtterance = false;
};
