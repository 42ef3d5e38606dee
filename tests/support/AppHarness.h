#pragma once

// An app state on a scripted microphone and recogniser, in a private home. The harness itself is
// the desktop: the cursor text goes to `inserted`, the clipboard is in memory, permissions are
// granted and accessibility is as `trusted` says.
#include "app/AppState.h"
#include "core/Clock.h"
#include "dictation/CursorInserter.h"
#include "dictation/DictationEngine.h"
#include "dictation/Permissions.h"
#include "platform/MemoryPasteboard.h"
#include "support/FakeAudioInput.h"
#include "support/IsolatedHome.h"
#include "support/RecordingNotificationCenter.h"
#include "support/ScriptedRecognizer.h"

#include <QSettings>

struct AppHarness final : CursorInserter, MemoryPasteboard, Permissions
{
    // `settingValues` are stored before the app starts; usage pings are off unless they say.
    explicit AppHarness(const QVariantMap &settingValues = {}, bool accessibilityTrusted = false)
        : trusted(accessibilityTrusted)
    {
        settings.setValue(u"usageEnabled"_qs, false);
        for (auto it = settingValues.begin(); it != settingValues.end(); ++it)
            settings.setValue(it.key(), it.value());
        AppServices services{&notifications, &engine, nullptr, this, this, this, {}, {}};
        services.meetingInput = [this] {
            auto input = std::make_unique<FakeAudioInput>();
            meetingInput = input.get();
            return input;
        };
        services.meetingRecognizers = ScriptedRecognizer::providerFor(recognizer, {u"en_US"_qs});
        state = std::make_unique<AppState>(settings, clock, services, home.dataFolder());
        state->bootstrap();
    }

    void insertAtCursor(const QString &text) override { inserted = text; }
    void requestMicrophone(std::function<void(bool)> answer) override { answer(true); }
    void requestSpeech(std::function<void(bool)> answer) override { answer(true); }
    bool isAccessibilityTrusted(bool prompt) override
    {
        prompts += prompt ? 1 : 0;
        return trusted;
    }

    // Starts a recording and lets the recogniser hear `partial` (if any) at `level`.
    void listen(const QString &partial = {}, float level = 0)
    {
        state->startDictation();
        recognizer->waitForTasks(1);
        if (level > 0)
            input.pushConstant(level, 4);
        if (!partial.isEmpty())
            recognizer->lastTask()->partial(partial);
    }
    // The recording's text, handed back from the recogniser's thread as the real one does.
    void finishWith(const QString &raw) { recognizer->lastTask()->finalResult(raw); }

    bool trusted;
    int prompts = 0;
    QString inserted;
    FakeAudioInput *meetingInput = nullptr; // the meeting's own microphone, owned by the meeting
    IsolatedHome home;
    QSettings settings{home.root() + u"/Dictrava.conf"_qs, QSettings::IniFormat};
    ManualClock clock{QDateTime(QDate(2026, 12, 6), QTime(21, 30))};
    RecordingNotificationCenter notifications;
    FakeAudioInput input;
    std::shared_ptr<ScriptedRecognizer> recognizer = std::make_shared<ScriptedRecognizer>();
    DictationEngine engine{input, ScriptedRecognizer::providerFor(recognizer, {u"en_US"_qs})};
    std::unique_ptr<AppState> state;
};
