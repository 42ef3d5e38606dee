#pragma once

// An app state on a scripted microphone and recogniser, in a private home, for the desktop tests.
#include "app/AppState.h"
#include "core/Clock.h"
#include "dictation/DictationEngine.h"
#include "dictation/Permissions.h"
#include "support/FakeAudioInput.h"
#include "support/IsolatedHome.h"
#include "support/RecordingNotificationCenter.h"
#include "support/ScriptedRecognizer.h"

#include <QSettings>

// Grants everything; accessibility as the test says.
struct GrantingPermissions final : Permissions
{
    void requestMicrophone(std::function<void(bool)> answer) override { answer(true); }
    void requestSpeech(std::function<void(bool)> answer) override { answer(true); }
    bool isAccessibilityTrusted(bool) override { return trusted; }
    bool trusted = false;
};

struct AppHarness
{
    explicit AppHarness(bool accessibilityTrusted = false)
        : settings(home.root() + u"/Dictrava.conf"_qs, QSettings::IniFormat),
          clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)))
    {
        settings.setValue(u"usageEnabled"_qs, false);
        permissions.trusted = accessibilityTrusted;
        state = std::make_unique<AppState>(
            settings, clock,
            AppServices{&notifications, &engine, nullptr, nullptr, nullptr, &permissions, {}},
            home.dataFolder());
        state->bootstrap();
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

    IsolatedHome home;
    QSettings settings;
    ManualClock clock;
    RecordingNotificationCenter notifications;
    GrantingPermissions permissions;
    FakeAudioInput input;
    std::shared_ptr<ScriptedRecognizer> recognizer = std::make_shared<ScriptedRecognizer>();
    DictationEngine engine{input, ScriptedRecognizer::providerFor(recognizer, {u"en_US"_qs})};
    std::unique_ptr<AppState> state;
};
