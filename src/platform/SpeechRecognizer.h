#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// A word of a final result, in seconds from the start of the task's audio.
struct RecognizedWord
{
    QString text;
    double start = 0;
    double end = 0;
    friend bool operator==(const RecognizedWord &, const RecognizedWord &) = default;
};

struct RecognitionResult
{
    QString text; // the best transcription
    bool isFinal = false;
    // The words of `text` with their times, when the recogniser reports them (final results).
    QList<RecognizedWord> words;
};

struct RecognitionError
{
    // Cancelled and NoSpeech are the expected ends of a task that the callers ignore.
    enum class Kind { Cancelled, NoSpeech, Failed };
    Kind kind = Kind::Failed;
    QString description;
};

// One recognition request and its task: audio goes in, partial results come out while the
// hypothesis changes, and one final result (or an error) ends it, either after endAudio() or
// when the speaker pauses. Results and errors arrive on the recogniser's own thread.
class RecognitionTask
{
public:
    virtual ~RecognitionTask() = default;
    // Never blocks; any thread.
    virtual void append(std::span<const float> samples) = 0;
    virtual void endAudio() = 0;
    // No result or error is delivered after cancel() returns.
    virtual void cancel() = 0;
    // A task that ends at a pause while audio is still queued to it, or that is given audio
    // after its end, keeps that audio here, in order and at its own rate, so the caller can hand
    // it to the next task and nothing said is lost. Taking it empties the store. Any thread.
    virtual std::vector<float> takeUnheardAudio() = 0;
    // Roughly how many samples given to the task it has yet to decode, at least 1 while it still
    // works on audio already given (its last pass after endAudio() included): 0 once it has
    // caught up, or has ended. Any thread.
    virtual std::size_t backlog() const = 0;
};

class SpeechRecognizer
{
public:
    using Handler = std::function<void(const std::optional<RecognitionResult> &,
                                       const std::optional<RecognitionError> &)>;

    virtual ~SpeechRecognizer() = default;

    virtual bool isAvailable() const = 0;
    virtual QString localeIdentifier() const = 0;
    virtual bool supportsOnDeviceRecognition() const = 0;
    // True when every partial is the whole hypothesis for the task so far: a partial that differs
    // from the previous one then revises it and never means an earlier segment was finished.
    virtual bool partialsReviseWholeTask() const { return false; }
    // Starts a task for audio at `sampleRate` (any rate; it is resampled as needed).
    virtual std::unique_ptr<RecognitionTask> startTask(double sampleRate, Handler handler) = 0;
};

// Finds the recogniser for a locale name such as "en_US"; none when no model is installed.
using SpeechRecognizerProvider = std::function<std::shared_ptr<SpeechRecognizer>(const QString &localeName)>;
