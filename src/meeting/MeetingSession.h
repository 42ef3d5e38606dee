#pragma once

#include "core/DelayedJobQueue.h"
#include "core/SerialQueue.h"
#include "meeting/MeetingSegment.h"
#include "meeting/SpeakerRoster.h"
#include "meeting/VoiceFeatureExtractor.h"
#include "platform/SpeechRecognizer.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

class AudioInput;
class Clock;
class Pasteboard;
class UtteranceRecognizer;

// Meeting mode: listens continuously, cuts the audio into utterances at about 1.2 seconds of
// quiet, recognises each one with a task of its own, attributes it to one of at most five voices
// and keeps the attributed transcript. Voices are named by a check-in, by the user, or when
// someone introduces themselves. The roster outlives a meeting until clearRoster().
//
// Published state lives on the thread the session was made on (the main thread) and changes
// only there. Audio analysis and the roster work run on the serial queue
// "com.korvo.dictrava.meeting"; optional values are empty strings / invalid dates when absent.
class MeetingSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(bool isPaused READ isPaused NOTIFY isPausedChanged)
    Q_PROPERTY(QList<MeetingSegment> segments READ segments NOTIFY segmentsChanged)
    Q_PROPERTY(int wordCount READ wordCount NOTIFY segmentsChanged)
    Q_PROPERTY(QStringList speakerNames READ speakerNames NOTIFY speakerNamesChanged)
    Q_PROPERTY(QString liveText READ liveText NOTIFY liveTextChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QDateTime startedAt READ startedAt NOTIFY startedAtChanged)
    Q_PROPERTY(float audioLevel READ audioLevel NOTIFY audioLevelChanged)
    Q_PROPERTY(QString pendingEnrollmentName READ pendingEnrollmentName NOTIFY pendingEnrollmentNameChanged)
    Q_PROPERTY(QString enrollmentHint READ enrollmentHint NOTIFY enrollmentHintChanged)

public:
    static constexpr float silenceRMS = 0.008f;
    static constexpr double silenceSeconds = 1.2;
    // A pause this long splits an utterance into stretches whose voices are told apart on
    // their own: the next speaker often follows sooner than an utterance ends.
    static constexpr double stretchPauseSeconds = 0.5;
    static constexpr int framesPerBuffer = 2048;
    // An utterance needs this many loud buffers after its opening one to be recognised.
    static constexpr int minimumSpeechFrames = 4;
    static constexpr std::chrono::milliseconds recognitionLimit{3000};

    // `pasteboard` may be null (headless): copyMarkdown() then only returns the notes.
    MeetingSession(std::unique_ptr<AudioInput> input, SpeechRecognizerProvider recognizers,
                   const Clock &clock, Pasteboard *pasteboard = nullptr, QObject *parent = nullptr);
    ~MeetingSession() override;

    bool isRunning() const { return m_isRunning; }
    bool isPaused() const { return m_isPaused; }
    const QList<MeetingSegment> &segments() const { return m_segments; }
    const QStringList &speakerNames() const { return m_speakerNames; }
    const QString &liveText() const { return m_liveText; }
    const QString &errorMessage() const { return m_errorMessage; }
    const QDateTime &startedAt() const { return m_startedAt; }
    float audioLevel() const { return m_audioLevel; }
    const QString &pendingEnrollmentName() const { return m_pendingEnrollmentName; }
    const QString &enrollmentHint() const { return m_enrollmentHint; }
    int wordCount() const;

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void togglePause();
    // Voice check-in: the next kept utterance is enrolled under `name`. Starts the meeting.
    Q_INVOKABLE void beginEnrollment(const QString &name);
    Q_INVOKABLE void cancelEnrollment();
    Q_INVOKABLE void renameSpeaker(int index, const QString &name);
    // Forgets every voice and the transcript.
    Q_INVOKABLE void clearRoster();
    Q_INVOKABLE QString exportMarkdown() const;
    // exportMarkdown(), also put on the clipboard when there is one.
    Q_INVOKABLE QString copyMarkdown() const;
    QList<MeetingActionItem> actionItems() const;
    Q_INVOKABLE QString elapsedDescription() const;

signals:
    void isRunningChanged();
    void isPausedChanged();
    void segmentsChanged();
    void speakerNamesChanged();
    void liveTextChanged();
    void errorMessageChanged();
    void startedAtChanged();
    void audioLevelChanged();
    void pendingEnrollmentNameChanged();
    void enrollmentHintChanged();
    // The input ended by itself (end of a recording, the sound server went away); the meeting
    // has been stopped.
    void inputEnded(const QString &reason);
    // After a stop, every utterance has been recognised and attributed: the transcript is final.
    void finishedProcessing();

private:
    struct Lifeline;
    // Processing queue.
    void process(const std::vector<float> &samples);
    void startUtterance();
    void finishUtterance();
    void closeStretch();
    struct FinishedUtterance
    {
        std::optional<QString> enrollmentName;
        QList<VoiceStretch> stretches;
        double start = 0; // seconds from the start of the meeting's audio
        int enrollmentGeneration = 0;
        quint64 sequence = 0; // the order in which the utterances were spoken
    };
    struct ResolvedUtterance
    {
        std::shared_ptr<UtteranceRecognizer> utterance;
        QString text;
        QList<RecognizedWord> words;
        FinishedUtterance finished;
    };
    // Takes a text as it arrives and handles the texts in the order their utterances were spoken,
    // since a later, shorter utterance can be recognised first.
    void resolveText(ResolvedUtterance resolved);
    void handleFinalText(const ResolvedUtterance &resolved);
    void requeueEnrollment(const QString &name, int generation);
    void reportIfFinished();
    std::shared_ptr<SpeechRecognizer> findRecognizer() const;
    template<typename Function>
    void postToMain(Function &&function);

    // Main thread.
    void addSegments(const SpeakerRoster::Attribution &attribution, double start,
                     const std::optional<QString> &enrolledName);
    void relabelSegments(int index, const QString &label);
    // Setters change nothing and notify no one when the value stays the same.
    template<typename Value>
    void publish(Value &member, const Value &value, void (MeetingSession::*changed)())
    {
        if (member == value)
            return;
        member = value;
        emit(this->*changed)();
    }
    void setRunning(bool running) { publish(m_isRunning, running, &MeetingSession::isRunningChanged); }
    void setPaused(bool paused) { publish(m_isPaused, paused, &MeetingSession::isPausedChanged); }
    void setSegments(QList<MeetingSegment> segments);
    void setSpeakerNames(const QStringList &names)
    {
        publish(m_speakerNames, names, &MeetingSession::speakerNamesChanged);
    }
    void setLiveText(const QString &text) { publish(m_liveText, text, &MeetingSession::liveTextChanged); }
    void setErrorMessage(const QString &text)
    {
        publish(m_errorMessage, text, &MeetingSession::errorMessageChanged);
    }
    void setStartedAt(const QDateTime &moment)
    {
        publish(m_startedAt, moment, &MeetingSession::startedAtChanged);
    }
    void setAudioLevel(float level) { publish(m_audioLevel, level, &MeetingSession::audioLevelChanged); }
    void setPendingEnrollmentName(const QString &name)
    {
        publish(m_pendingEnrollmentName, name, &MeetingSession::pendingEnrollmentNameChanged);
    }
    void setEnrollmentHint(const QString &hint)
    {
        publish(m_enrollmentHint, hint, &MeetingSession::enrollmentHintChanged);
    }

    std::unique_ptr<AudioInput> m_input;
    const SpeechRecognizerProvider m_recognizers;
    const Clock &m_clock;
    Pasteboard *m_pasteboard;
    std::shared_ptr<Lifeline> m_lifeline;

    // Published state (main thread).
    bool m_isRunning = false;
    bool m_isPaused = false;
    QList<MeetingSegment> m_segments;
    QStringList m_speakerNames;
    QString m_liveText;
    QString m_errorMessage;
    QDateTime m_startedAt;
    float m_audioLevel = 0;
    QString m_pendingEnrollmentName;
    QString m_enrollmentHint;

    // Shared by both sides: the main thread names, lists and clears voices.
    SpeakerRoster m_roster;

    // Processing queue only.
    VoiceFeatureExtractor m_featureExtractor;
    std::shared_ptr<UtteranceRecognizer> m_currentUtterance;
    // Finished utterances still waiting for their text, so a shutdown can cancel them.
    std::vector<std::weak_ptr<UtteranceRecognizer>> m_finishing;
    qint64 m_position = 0;       // samples since the meeting started
    qint64 m_utteranceStart = 0; // position of the current utterance's opening buffer
    bool m_stretchOpen = false;
    qint64 m_stretchStart = 0;
    qint64 m_stretchEnd = 0; // after its last loud buffer
    int m_stretchQuietBuffers = 0;
    QList<VoiceStretch> m_stretches; // of the current utterance
    int m_silentFrames = 0;
    int m_speechFrames = 0;
    double m_sampleRate = VoiceFeatureExtractor::defaultSampleRate;
    bool m_paused = false;
    bool m_stopped = true;
    // Finished utterances, and those whose text has been handled; the difference is still to come.
    quint64 m_utterancesFinished = 0;
    quint64 m_utterancesHandled = 0;
    std::map<quint64, ResolvedUtterance> m_resolvedEarly; // waiting for an earlier utterance's text
    std::optional<QString> m_enrollmentNameQueued;
    // Counts check-ins begun or cancelled, so a name whose utterance came back empty is only put
    // back when the user has not changed the check-in since.
    int m_enrollmentGeneration = 0;

    DelayedJobQueue m_timeouts;
    SerialQueue m_queue{QStringLiteral("com.korvo.dictrava.meeting")};
};
