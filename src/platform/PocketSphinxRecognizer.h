#pragma once

#include "platform/SpeechModel.h"
#include "platform/SpeechRecognizer.h"

#include <memory>

// Speech recognition on this machine with PocketSphinx. Each task runs on a thread of its own
// with a decoder of its own, so tasks may overlap and a slow one never holds up the next. Audio
// at any rate is resampled to the decoder's 16 kHz. A task reports partial results as its
// words change and ends with one final result: when the speaker pauses for about 1.2 s, or
// when the audio ends. A task that heard no words ends with RecognitionError::NoSpeech instead.
//
// The first decoder loads in the background when the recogniser is made; keep one recogniser
// per model for the life of the app (pocketSphinxRecognizerProvider() does) so it is reused.
class PocketSphinxRecognizer : public SpeechRecognizer
{
public:
    explicit PocketSphinxRecognizer(SpeechModel model);
    // Cancels the running tasks and waits for their threads.
    ~PocketSphinxRecognizer() override;
    PocketSphinxRecognizer(const PocketSphinxRecognizer &) = delete;
    PocketSphinxRecognizer &operator=(const PocketSphinxRecognizer &) = delete;

    // False once the model has failed to load.
    bool isAvailable() const override;
    QString localeIdentifier() const override;
    bool supportsOnDeviceRecognition() const override { return true; }
    // Each partial is the decoder's best hypothesis for the whole utterance so far.
    bool partialsReviseWholeTask() const override { return true; }
    std::unique_ptr<RecognitionTask> startTask(double sampleRate, Handler handler) override;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

// The recogniser for a locale name ("en_US") when its model is installed under `modelsRoot`,
// else none (the caller then asks for "en_US"). One recogniser per model, made on first use and
// kept by the provider.
SpeechRecognizerProvider
pocketSphinxRecognizerProvider(const QString &modelsRoot = defaultSpeechModelsRoot());
