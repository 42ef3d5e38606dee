#pragma once

#include "platform/SpeechRecognizer.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>

class AudioInput;
class DelayedJobQueue;
class DictationRecorder;
class QObject;

// Why a recording could not start: code 1 "Speech recognizer unavailable", code 2 "No microphone
// input available"; code 0 carries the audio input's own message when it fails to start.
struct DictationError
{
    int code = 0;
    QString description;
};

// What a recording yielded: the whole raw transcript (possibly empty).
struct DictationTranscript
{
    QString text;
    // The wait for the recogniser's last word was given up (it stayed silent after it had caught
    // up with the audio, or stopped making headway), so the end of what was said may be missing.
    bool cutShort = false;
};

// Records the microphone for one push-to-talk recording, streams it into the speech recogniser
// and yields one transcript at release. A recording may go on across pauses: whenever the
// recogniser finishes a task (or fails) while the key is held, what was heard is committed and a
// new task takes the same audio stream, so the owner sees one growing text.
//
// start() and stopAndFinalize() are called on the thread that made the engine, whose event loop
// runs the restarts. The callbacks fire on whatever thread the event arrives on (audio,
// recogniser, this thread, the stop timer), never under the engine's lock; they are taken over
// at each start(). `input` must outlive the engine.
class DictationEngine
{
public:
    DictationEngine(AudioInput &input, SpeechRecognizerProvider recognizers);
    // A stop still waiting is resolved with what has been heard.
    ~DictationEngine();
    DictationEngine(const DictationEngine &) = delete;
    DictationEngine &operator=(const DictationEngine &) = delete;

    std::function<void(const QString &text)> onPartial; // committed text joined with the partial
    std::function<void(float level)> onLevel;           // 0…1 per audio buffer; 0 at stop
    std::function<void(const QString &message)> onError;
    bool onDeviceOnly = true;

    // Begins recording, or says why it cannot (then nothing is left running).
    std::optional<DictationError> start();
    // Ends the recording; `done` receives the transcript, on any thread, once the recogniser has
    // had its last word. A recogniser still decoding captured audio gets the time it needs as
    // long as it makes headway (it is given up on after 10 seconds without, or after a minute);
    // one that has caught up and stays silent for 1.5 seconds is given up on.
    void stopAndFinalize(std::function<void(const DictationTranscript &transcript)> done);

    // Joins two pieces of transcript: "store." + "and then" → "store and then", "super-" +
    // "market" → "supermarket", otherwise one space between.
    static QString join(const QString &a, const QString &b);
    // Whether `next` is still the same hypothesis as `previous`: one begins with the other, or
    // their first three words match, ignoring case.
    static bool isContinuation(const QString &previous, const QString &next);
    // Root mean square amplified eight times, clamped to 0…1.
    static float level(std::span<const float> samples);

private:
    std::unique_ptr<QObject> m_thread; // lives on the engine's thread; restarts are posted to it
    std::shared_ptr<DictationRecorder> m_recorder;
    std::unique_ptr<DelayedJobQueue> m_timer;
};
