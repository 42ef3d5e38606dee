#pragma once

#include <QString>

#include <functional>
#include <optional>

// Why a recording could not start: code 1 "Speech recognizer unavailable", code 2 "No microphone
// input available".
struct DictationError
{
    int code = 0;
    QString description;
};

// Push-to-talk speech capture as the app state drives it. Callbacks may fire on any thread.
class DictationEngine
{
public:
    virtual ~DictationEngine() = default;

    std::function<void(const QString &text)> onPartial;
    std::function<void(float level)> onLevel;
    std::function<void(const QString &message)> onError;
    bool onDeviceOnly = true;

    // Begins recording, or says why it cannot.
    virtual std::optional<DictationError> start() = 0;
    // Ends the recording; `done` receives the whole raw transcript (possibly empty), at most
    // 1.5 seconds after the end of audio, on any thread.
    virtual void stopAndFinalize(std::function<void(const QString &raw)> done) = 0;
};
