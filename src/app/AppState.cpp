#include "app/AppState.h"

#include "app/CommandDeckController.h"
#include "app/DockStation.h"
#include "app/OpenWindowBridge.h"
#include "core/Clock.h"
#include "core/Text.h"
#include "dictation/CursorInserter.h"
#include "dictation/DictationEngine.h"
#include "dictation/Hotkeys.h"
#include "dictation/Permissions.h"
#include "dictation/TextCleaner.h"
#include "meeting/MeetingNotesFile.h"
#include "meeting/MeetingSession.h"
#include "planning/BriefingPanel.h"
#include "planning/BriefingStore.h"
#include "planning/FocusCoachStore.h"
#include "planning/FocusHud.h"
#include "planning/TaskStore.h"
#include "platform/AudioInput.h"
#include "platform/NotificationCenter.h"
#include "platform/Pasteboard.h"
#include "stores/DictionaryStore.h"
#include "stores/HistoryStore.h"
#include "stores/JsonStoreBase.h"
#include "stores/SnippetStore.h"
#include "stores/StoreNotices.h"
#include "usage/UsageReporter.h"

#include <QPointer>

#include <algorithm>

namespace {

AppState *sharedInstance = nullptr;

QString listeningMessage(VoiceMode mode)
{
    switch (mode) {
    case VoiceMode::Dictate:
        return u"Listening… (pauses OK — release Alt when done)"_qs;
    case VoiceMode::Capture:
        return u"Capturing tasks… release Alt when done"_qs;
    case VoiceMode::Focus:
        return u"Setting Focus… describe your North Star + steps"_qs;
    case VoiceMode::Briefing:
        return u"Briefing dump… say tomorrow’s plan"_qs;
    }
    return {};
}

QString usageEvent(VoiceMode mode)
{
    // Dictate mode reports "dictation", the others their own name.
    return mode == VoiceMode::Dictate ? u"dictation"_qs : rawValue(mode);
}

// Runs `work` on the object's thread, unless the object is gone by then.
template<typename Work>
void onMainThread(QObject *target, Work work)
{
    QMetaObject::invokeMethod(target, std::move(work), Qt::QueuedConnection);
}

} // namespace

const QString AppState::kIdleMessage = u"Hold Right Alt · Ctrl+Space for Command Deck"_qs;

AppState::AppState(QSettings &settingsStore, const Clock &clock, AppServices services,
                   const QString &dataFolder, QObject *parent)
    : QObject(parent), m_clock(clock), m_services(std::move(services)), m_settings(settingsStore),
      m_dictionaryStore(new DictionaryStore(dataFolder, this)),
      m_snippetStore(new SnippetStore(dataFolder, this)),
      m_historyStore(new HistoryStore(clock, dataFolder, this)),
      m_taskStore(new TaskStore(clock, *m_services.notifications, settingsStore, dataFolder, this)),
      m_focusCoach(new FocusCoachStore(clock, *m_services.notifications, dataFolder, this)),
      m_briefingStore(new BriefingStore(clock, *m_services.notifications, settingsStore, dataFolder, this)),
      m_meeting(new MeetingSession(m_services.meetingInput ? m_services.meetingInput() : nullptr,
                                   m_services.meetingRecognizers, clock, m_services.pasteboard, this)),
      m_meetingNotes(new MeetingNotesFile(*m_meeting, dataFolder, this)),
      m_usage(new UsageReporter(settingsStore, clock, this)), m_windows(new OpenWindowBridge(this)),
      m_deck(new CommandDeckController(*this, *m_windows, this)), m_statusMessage(kIdleMessage)
{
    if (!sharedInstance)
        sharedInstance = this;
    listenToStores();
}

AppState::~AppState()
{
    flush();
    if (sharedInstance == this) {
        sharedInstance = nullptr;
        StoreNotices::setListener({});
    }
}

AppState *AppState::shared()
{
    return sharedInstance;
}

void AppState::setVoiceMode(VoiceMode mode)
{
    if (m_voiceMode == mode)
        return;
    m_voiceMode = mode;
    emit voiceModeChanged();
}

void AppState::setFocusHud(FocusHud *hud)
{
    m_focusHud = hud;
    m_focusCoach->setHud(hud);
}

void AppState::setBriefingPanel(BriefingPanel *panel)
{
    m_briefingPanel = panel;
    m_briefingStore->setPanel(panel);
}

void AppState::bootstrap()
{
    requestPermissions();
    if (Hotkeys *hotkeys = m_services.hotkeys) {
        hotkeys->onHoldStart = [this] { onMainThread(this, [this] { startDictation(); }); };
        hotkeys->onHoldEnd = [this] { onMainThread(this, [this] { stopDictation(); }); };
        hotkeys->onDeckToggle = [this] { onMainThread(this, [this] { m_deck->toggle(); }); };
        hotkeys->start();
    }
    wireEngine();
    m_usage->setEndpointProvider([settings = QPointer<AppSettings>(&m_settings)]() -> std::optional<QUrl> {
        return settings ? settings->usageUrl() : std::nullopt;
    });
    m_usage->report(u"launch"_qs, {});
    m_briefingStore->startScheduler();
    if (m_settings.showFocusHUD() && m_focusCoach->session() && m_focusHud)
        m_focusHud->show();
}

void AppState::requestPermissions()
{
    Permissions *permissions = m_services.permissions;
    NotificationCenter *notifications = m_services.notifications;
    const QPointer<AppState> self(this);
    auto askNotifications = [notifications] {
        if (notifications)
            notifications->requestAuthorization();
    };
    if (!permissions) {
        askNotifications();
        return;
    }
    permissions->requestMicrophone([self, permissions, askNotifications](bool micGranted) {
        onMainThread(self, [self, permissions, askNotifications, micGranted] {
            self->m_micAuthorized = micGranted;
            emit self->permissionsChanged();
            permissions->requestSpeech([self, permissions, askNotifications](bool speechGranted) {
                onMainThread(self, [self, permissions, askNotifications, speechGranted] {
                    self->m_speechAuthorized = speechGranted;
                    self->m_accessibilityTrusted = permissions->isAccessibilityTrusted(true);
                    emit self->permissionsChanged();
                    askNotifications();
                });
            });
        });
    });
}

void AppState::recheckPermissions()
{
    Permissions *permissions = m_services.permissions;
    if (!permissions)
        return;
    const QPointer<AppState> self(this);
    auto update = [self](bool AppState::*flag, bool value) {
        onMainThread(self, [self, flag, value] {
            if (self->*flag == value)
                return;
            self->*flag = value;
            emit self->permissionsChanged();
        });
    };
    update(&AppState::m_accessibilityTrusted, permissions->isAccessibilityTrusted(false));
    permissions->requestMicrophone([update](bool granted) { update(&AppState::m_micAuthorized, granted); });
    permissions->requestSpeech([update](bool granted) { update(&AppState::m_speechAuthorized, granted); });
}

void AppState::wireEngine()
{
    DictationEngine *engine = m_services.engine;
    if (!engine)
        return;
    const QPointer<AppState> self(this);
    engine->onPartial = [self](const QString &text) {
        onMainThread(self, [self, text] { self->setLiveTranscript(text); });
    };
    engine->onLevel = [self](float level) {
        onMainThread(self, [self, level] {
            self->setAudioLevel(level);
            if (self->m_settings.showDockStation() && self->m_dockStation)
                self->m_dockStation->setLevel(std::clamp(level, 0.0f, 1.0f));
        });
    };
    engine->onError = [self](const QString &message) {
        onMainThread(self, [self, message] { self->setStatusMessage(u"Speech error: "_qs + message); });
    };
}

// A failed save, and a file that could not be read, are put on the status line, where the user
// looks; the message stays until the next action replaces it.
void AppState::listenToStores()
{
    if (sharedInstance != this)
        return;
    StoreNotices::setListener([this](const StoreNotice &notice) {
        if (notice.kind != StoreNotice::Kind::Saved)
            onMainThread(this, [this, message = notice.message] { setStatusMessage(message); });
    });
}

void AppState::startDictation()
{
    if (m_isDictating)
        return;
    if (m_meeting->isRunning()) {
        setStatusMessage(u"Meeting Mode is running"_qs);
        return;
    }
    if (m_voiceMode == VoiceMode::Dictate || m_voiceMode == VoiceMode::Capture)
        m_focusCoach->noteActivity(rawValue(m_voiceMode));

    DictationEngine *engine = m_services.engine;
    std::optional<DictationError> error =
        engine ? std::nullopt
               : std::optional<DictationError>(DictationError{1, u"Speech recognizer unavailable"_qs});
    if (engine) {
        engine->onDeviceOnly = m_settings.onDeviceRecognition();
        error = engine->start();
    }
    if (error) {
        setStatusMessage(u"Mic error: "_qs + error->description);
        return;
    }
    setDictating(true);
    setLiveTranscript(QString());
    setAudioLevel(0.0f);
    setStatusMessage(listeningMessage(m_voiceMode));
    if (m_settings.showDockStation() && m_dockStation)
        m_dockStation->show();
}

void AppState::stopDictation()
{
    if (!m_isDictating)
        return;
    setDictating(false);
    setAudioLevel(0.0f);
    if (m_dockStation)
        m_dockStation->hide();
    setStatusMessage(u"Processing…"_qs);
    const VoiceMode mode = m_voiceMode; // the mode at release decides the route
    const QPointer<AppState> self(this);
    m_services.engine->stopAndFinalize([self, mode](const DictationTranscript &transcript) {
        onMainThread(self, [self, mode, transcript] {
            emit self->processed(self->process(transcript.text, mode, !transcript.cutShort));
        });
    });
}

ProcessResult AppState::process(const QString &raw, VoiceMode mode, bool complete)
{
    ProcessResult result;
    result.raw = raw;
    result.text = clean(raw, mode);
    result.complete = complete;
    setLastResult(result.text);
    setLiveTranscript(QString());
    if (result.text.isEmpty()) {
        setStatusMessage(kIdleMessage);
    } else {
        m_historyStore->add(result.text);
        m_usage->report(usageEvent(mode),
                        {{u"chars"_qs, static_cast<qint64>(Text::characterCount(result.text))}});
        route(result.text, mode, result);
    }
    if (!complete)
        setStatusMessage(incompleteStatus(m_statusMessage));
    result.status = m_statusMessage;
    return result;
}

QString AppState::incompleteStatus(const QString &status)
{
    return u"Text may be incomplete (recognition timed out) · "_qs + status;
}

QString AppState::clean(const QString &raw, VoiceMode mode) const
{
    QString text = TextCleaner::coalesce(raw);
    if (m_settings.removeFillers())
        text = TextCleaner::stripFillers(text);
    text = TextCleaner::applyDictionary(text, m_dictionaryStore->entries());
    if (mode == VoiceMode::Dictate) {
        if (const std::optional<QString> content = m_snippetStore->match(text))
            text = *content;
    }
    if (m_settings.autoCapitalize())
        text = TextCleaner::capitalize(text);
    if (mode == VoiceMode::Dictate && m_settings.autoPunctuate())
        text = TextCleaner::punctuate(text);
    return text;
}

void AppState::route(const QString &text, VoiceMode mode, ProcessResult &result)
{
    switch (mode) {
    case VoiceMode::Briefing: {
        const DayBriefing briefing = m_briefingStore->captureFromSpeech(text, *m_taskStore);
        result.briefing = briefing;
        setStatusMessage(u"Briefing saved · "_qs + QString::number(briefing.items.size()) + u" items"_qs);
        m_deck->setBanner(u"Briefing for "_qs + briefing.dayKey + u" ready"_qs);
        m_deck->setMode(DeckMode::Briefing);
        m_deck->show();
        if (m_briefingPanel)
            m_briefingPanel->present(briefing, BriefingPanel::Kind::Manual);
        break;
    }
    case VoiceMode::Focus: {
        const FocusSession session = m_focusCoach->setFromSpeech(text);
        result.session = session;
        setStatusMessage(u"Focus: "_qs + session.northStar);
        if (m_settings.showFocusHUD() && m_focusHud)
            m_focusHud->show();
        m_deck->setBanner(u"Focus locked · "_qs + QString::number(session.milestones.size()) +
                          u" milestones"_qs);
        m_deck->setMode(DeckMode::Focus);
        m_deck->show();
        break;
    }
    case VoiceMode::Capture: {
        result.tasks = m_taskStore->captureFromSpeech(text);
        const qsizetype count = result.tasks.size();
        setStatusMessage(count == 0 ? u"No tasks parsed — try again"_qs
                                    : u"Captured "_qs + QString::number(count) +
                                          (count == 1 ? u" task"_qs : u" tasks"_qs));
        m_deck->presentCapture(result.tasks);
        break;
    }
    case VoiceMode::Dictate:
        deliverDictation(text);
        break;
    }
}

void AppState::deliverDictation(const QString &text)
{
    Permissions *permissions = m_services.permissions;
    const bool trusted = permissions && permissions->isAccessibilityTrusted(false);
    if (m_accessibilityTrusted != trusted) {
        m_accessibilityTrusted = trusted;
        emit permissionsChanged();
    }
    if (m_settings.clipboardOnly()) {
        copyToPasteboard(text);
        setStatusMessage(u"Copied — Hold Right Alt to dictate"_qs);
    } else if (trusted && m_services.inserter) {
        m_services.inserter->insertAtCursor(text);
        setStatusMessage(u"Inserted — Hold Right Alt to dictate"_qs);
    } else {
        copyToPasteboard(text);
        setStatusMessage(u"Copied — grant Accessibility to type into apps"_qs);
        if (permissions)
            permissions->isAccessibilityTrusted(true);
    }
}

void AppState::copyToPasteboard(const QString &text)
{
    if (m_services.pasteboard)
        m_services.pasteboard->setText(text);
}

QStringList AppState::flush()
{
    m_meetingNotes->write();
    return JsonStoreBase::flushAll();
}

void AppState::setDictating(bool on)
{
    if (m_isDictating == on)
        return;
    m_isDictating = on;
    emit isDictatingChanged();
}

void AppState::setLiveTranscript(const QString &text)
{
    if (m_liveTranscript == text)
        return;
    m_liveTranscript = text;
    emit liveTranscriptChanged();
}

void AppState::setLastResult(const QString &text)
{
    if (m_lastResult == text)
        return;
    m_lastResult = text;
    emit lastResultChanged();
}

void AppState::setStatusMessage(const QString &text)
{
    if (m_statusMessage == text)
        return;
    m_statusMessage = text;
    emit statusMessageChanged();
}

void AppState::setAudioLevel(float level)
{
    if (m_audioLevel == level)
        return;
    m_audioLevel = level;
    emit audioLevelChanged();
}
