#pragma once

#include <QString>

#include <optional>

// The files of one installed PocketSphinx model, as a decoder is configured with them.
struct SpeechModel
{
    QString localeIdentifier; // "en-US"
    QString acousticModel;    // folder
    QString languageModel;
    QString dictionary;
};

// Where Debian's pocketsphinx model packages install, one folder per locale ("en-us").
QString defaultSpeechModelsRoot();

// The model for a locale name such as "en_US", "en-US" or "en_US.UTF-8" (or for its language
// alone, in a folder named "en"); none when it is not installed.
std::optional<SpeechModel> findSpeechModel(const QString &localeName,
                                           const QString &modelsRoot = defaultSpeechModelsRoot());

// Whether speech can be recognised for a user of this locale: its own model or, failing that,
// the US English one is installed. This is the speech permission's answer.
bool isSpeechRecognitionAvailable(const QString &localeName,
                                  const QString &modelsRoot = defaultSpeechModelsRoot());
