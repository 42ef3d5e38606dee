#pragma once

#include "app/AppSettings.h"
#include "core/VoiceMode.h"
#include "planning/DayBriefing.h"
#include "planning/DictraTask.h"
#include "planning/FocusSession.h"
#include "platform/SpeechRecognizer.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AudioInput;
class BriefingPanel;
class BriefingStore;
class Clock;
class CommandDeckController;
class CursorInserter;
class DictationEngine;
class DictionaryStore;
class DockStation;
class FocusCoachStore;
class FocusHud;
class HistoryStore;
class MeetingNotesFile;
class MeetingSession;
class Hotkeys;
class NotificationCenter;
class OpenWindowBridge;
class Pasteboard;
class Permissions;
class SnippetStore;
class TaskStore;
class UsageReporter;

// The outside services the app state drives. Any of the pointers may be null when running
// headless (the CLI, tests); the matching feature then does nothing.
struct AppServices
{
    NotificationCenter *notifications = nullptr; // required
    DictationEngine *engine = nullptr;
    Hotkeys *hotkeys = nullptr;
    CursorInserter *inserter = nullptr;
    Pasteboard *pasteboard = nullptr;
    Permissions *permissions = nullptr;
    // The meeting's own microphone, asked for once; without it a meeting reports no microphone.
    std::function<std::unique_ptr<AudioInput>()> meetingInput;
    SpeechRecognizerProvider meetingRecognizers;
};

// What one recording's text became.
struct ProcessResult
{
    QString raw;
    QString text;
    QString status;
    QList<DictraTask> tasks;             // capture, briefing
    std::optional<FocusSession> session; // focus
    std::optional<DayBriefing> briefing; // briefing
    bool complete = true;                // false: the recogniser did not finish, the end may be missing
};

// The one central object: owns the stores and engines, holds what every view shows, and runs
// push-to-talk: start, stop, clean the transcript and route it by voice mode.
class AppState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isDictating READ isDictating NOTIFY isDictatingChanged)
    Q_PROPERTY(QString liveTranscript READ liveTranscript NOTIFY liveTranscriptChanged)
    Q_PROPERTY(QString lastResult READ lastResult NOTIFY lastResultChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(bool micAuthorized READ micAuthorized NOTIFY permissionsChanged)
    Q_PROPERTY(bool speechAuthorized READ speechAuthorized NOTIFY permissionsChanged)
    Q_PROPERTY(bool accessibilityTrusted READ accessibilityTrusted NOTIFY permissionsChanged)
    Q_PROPERTY(float audioLevel READ audioLevel NOTIFY audioLevelChanged)
    Q_PROPERTY(QString voiceMode READ voiceModeRaw NOTIFY voiceModeChanged)
    Q_PROPERTY(AppSettings *settings READ settings CONSTANT)

public:
    static const QString kIdleMessage;

    AppState(QSettings &settingsStore, const Clock &clock, AppServices services, const QString &dataFolder,
             QObject *parent = nullptr);
    ~AppState() override;

    // The instance the shell made; null before.
    static AppState *shared();

    bool isDictating() const { return m_isDictating; }
    const QString &liveTranscript() const { return m_liveTranscript; }
    const QString &lastResult() const { return m_lastResult; }
    const QString &statusMessage() const { return m_statusMessage; }
    bool micAuthorized() const { return m_micAuthorized; }
    bool speechAuthorized() const { return m_speechAuthorized; }
    bool accessibilityTrusted() const { return m_accessibilityTrusted; }
    float audioLevel() const { return m_audioLevel; }
    VoiceMode voiceMode() const { return m_voiceMode; }
    QString voiceModeRaw() const { return rawValue(m_voiceMode); }
    void setVoiceMode(VoiceMode mode);

    AppSettings *settings() { return &m_settings; }
    DictionaryStore &dictionaryStore() { return *m_dictionaryStore; }
    SnippetStore &snippetStore() { return *m_snippetStore; }
    HistoryStore &historyStore() { return *m_historyStore; }
    TaskStore &taskStore() { return *m_taskStore; }
    FocusCoachStore &focusCoach() { return *m_focusCoach; }
    BriefingStore &briefingStore() { return *m_briefingStore; }
    MeetingSession &meeting() { return *m_meeting; }
    MeetingNotesFile &meetingNotes() { return *m_meetingNotes; }
    UsageReporter &usage() { return *m_usage; }
    CommandDeckController &deck() { return *m_deck; }
    OpenWindowBridge &windows() { return *m_windows; }

    // The floating panels; unset when headless.
    void setFocusHud(FocusHud *hud);
    void setBriefingPanel(BriefingPanel *panel);
    void setDockStation(DockStation *station) { m_dockStation = station; }
    FocusHud *focusHud() const { return m_focusHud; }

    // Once, when the event loop runs: permissions, hotkeys, engine callbacks, usage, scheduler.
    void bootstrap();
    // Asks again, without prompting, what the app may use; a grant made since shows at once.
    void recheckPermissions();
    Q_INVOKABLE void startDictation();
    Q_INVOKABLE void stopDictation();

    // Cleans a raw transcript and routes it as a recording in `mode` would be; a transcript that
    // is not `complete` is still delivered, and the status says it may be incomplete.
    ProcessResult process(const QString &raw, VoiceMode mode, bool complete = true);
    static QString incompleteStatus(const QString &status);

    // Writes every pending save; called on the way out and before a result is confirmed. Why
    // saves failed, one message per store; empty when everything is on disk.
    QStringList flush();

signals:
    void isDictatingChanged();
    void liveTranscriptChanged();
    void lastResultChanged();
    void statusMessageChanged();
    void permissionsChanged();
    void audioLevelChanged();
    void voiceModeChanged();
    // A recording's text has been processed (after stopDictation).
    void processed(const ProcessResult &result);

private:
    QString clean(const QString &raw, VoiceMode mode) const;
    void route(const QString &text, VoiceMode mode, ProcessResult &result);
    void deliverDictation(const QString &text);
    void copyToPasteboard(const QString &text);
    void requestPermissions();
    void wireEngine();
    void listenToStores();

    void setDictating(bool on);
    void setLiveTranscript(const QString &text);
    void setLastResult(const QString &text);
    void setStatusMessage(const QString &text);
    void setAudioLevel(float level);

    const Clock &m_clock;
    AppServices m_services;
    AppSettings m_settings;
    DictionaryStore *m_dictionaryStore;
    SnippetStore *m_snippetStore;
    HistoryStore *m_historyStore;
    TaskStore *m_taskStore;
    FocusCoachStore *m_focusCoach;
    BriefingStore *m_briefingStore;
    MeetingSession *m_meeting;
    MeetingNotesFile *m_meetingNotes;
    UsageReporter *m_usage;
    OpenWindowBridge *m_windows;
    CommandDeckController *m_deck;
    FocusHud *m_focusHud = nullptr;
    BriefingPanel *m_briefingPanel = nullptr;
    DockStation *m_dockStation = nullptr;

    bool m_isDictating = false;
    QString m_liveTranscript;
    QString m_lastResult;
    QString m_statusMessage;
    bool m_micAuthorized = false;
    bool m_speechAuthorized = false;
    bool m_accessibilityTrusted = false;
    float m_audioLevel = 0.0f;
    VoiceMode m_voiceMode = VoiceMode::Dictate;
};
