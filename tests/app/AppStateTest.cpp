#include "app/AppState.h"
#include "TestRegistry.h"
#include "app/CommandDeckController.h"
#include "app/OpenWindowBridge.h"
#include "app/PushToTalkWatchdog.h"
#include "meeting/MeetingNotesFile.h"
#include "meeting/MeetingSession.h"
#include "planning/FocusCoachStore.h"
#include "planning/FocusHud.h"
#include "stores/DictionaryStore.h"
#include "stores/HistoryStore.h"
#include "stores/SnippetStore.h"
#include "support/AppHarness.h"
#include "support/RecordingHttpServer.h"

#include <QSignalSpy>
#include <QTest>

namespace {

class CountingHud final : public FocusHud
{
public:
    void show() override { ++shows; }
    void hide() override {}
    int shows = 0;
};

} // namespace

class AppStateTest : public QObject
{
    Q_OBJECT

private slots:

    void routing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QVariantMap>("settings");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("delivered"); // "insert:…", "copy:…" or ""

        const QVariantMap none;
        const QString idle = AppState::kIdleMessage;
        QTest::newRow("dictate inserts")
            << u"dictate"_qs << none << true << u"um hello   world"_qs << u"Hello world."_qs
            << u"Inserted — Hold Right Alt to dictate"_qs << QString() << u"insert:Hello world."_qs;
        QTest::newRow("clipboard only")
            << u"dictate"_qs << QVariantMap{{u"insertMode"_qs, u"clipboardOnly"_qs}} << true << u"hello"_qs
            << u"Hello."_qs << u"Copied — Hold Right Alt to dictate"_qs << QString() << u"copy:Hello."_qs;
        QTest::newRow("unknown insert mode types, untrusted copies")
            << u"dictate"_qs << QVariantMap{{u"insertMode"_qs, u"sideways"_qs}} << false << u"hello"_qs
            << u"Hello."_qs << u"Copied — grant Accessibility to type into apps"_qs << QString()
            << u"copy:Hello."_qs;
        QTest::newRow("snippet in dictate")
            << u"dictate"_qs << none << true << u"my address"_qs << u"1 Main St."_qs
            << u"Inserted — Hold Right Alt to dictate"_qs << QString() << u"insert:1 Main St."_qs;
        QTest::newRow("no snippet, no full stop in capture")
            << u"capture"_qs << none << true << u"my address"_qs << u"My address"_qs << u"Captured 1 task"_qs
            << u"Captured 1 task · reminders set"_qs << QString();
        QTest::newRow("capitalisation off")
            << u"capture"_qs << QVariantMap{{u"autoCapitalize"_qs, false}} << true << u"buy milk"_qs
            << u"buy milk"_qs << u"Captured 1 task"_qs << u"Captured 1 task · reminders set"_qs << QString();
        QTest::newRow("focus") << u"focus"_qs << none << true << u"goal: launch the site"_qs
                               << u"Goal: launch the site"_qs << u"Focus: Launch the site"_qs
                               << u"Focus locked · 3 milestones"_qs << QString();
        QTest::newRow("briefing") << u"briefing"_qs << none << true << u"call the bank"_qs
                                  << u"Call the bank"_qs << u"Briefing saved · 1 items"_qs
                                  << u"Briefing for 2026-12-07 ready"_qs << QString();
        QTest::newRow("fillers only") << u"dictate"_qs << none << true << u"um uh hmm"_qs << QString() << idle
                                      << QString() << QString();
        QTest::newRow("fillers kept when off")
            << u"dictate"_qs << QVariantMap{{u"removeFillers"_qs, u"false"_qs}} << true << u"um"_qs
            << u"Um."_qs << u"Inserted — Hold Right Alt to dictate"_qs << QString() << u"insert:Um."_qs;
    }

    void routing()
    {
        QFETCH(QString, mode);
        QFETCH(QVariantMap, settings);
        QFETCH(bool, trusted);
        QFETCH(QString, raw);
        QFETCH(QString, text);
        QFETCH(QString, status);

        RecordingHttpServer usageServer;
        settings.insert(u"usageEnabled"_qs, true);
        settings.insert(u"usageEndpoint"_qs, usageServer.url().toString());
        AppHarness h(settings, trusted);
        h.state->snippetStore().add(u"My address"_qs, u"1 Main St"_qs);
        QTRY_COMPARE(usageServer.requests.size(), 1); // "launch"
        QTRY_VERIFY(h.state->speechAuthorized());
        QCOMPARE(h.prompts, 1); // start-up asks once
        h.prompts = 0;

        const ProcessResult result = h.state->process(raw, *voiceModeFromRaw(mode));
        QCOMPARE(result.text, text);
        QCOMPARE(h.state->statusMessage(), status);
        QCOMPARE(result.status, status);
        QCOMPARE(h.state->lastResult(), text);
        QTEST(h.state->deck().bannerText(), "banner");
        QCOMPARE(h.state->historyStore().entries().size(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty())
            QCOMPARE(h.state->historyStore().entries().first().text, text);
        const QString actual = !h.inserted.isEmpty() ? u"insert:"_qs + h.inserted
                               : !h.text().isEmpty() ? u"copy:"_qs + h.text()
                                                     : QString();
        QTEST(actual, "delivered");
        QCOMPARE(h.prompts, trusted ? 0 : 1);
        if (text.isEmpty()) {
            QTest::qWait(100);
            QCOMPARE(usageServer.requests.size(), 1);
        } else {
            QTRY_COMPARE(usageServer.requests.size(), 2);
            const QJsonObject ping = usageServer.requests.last().json();
            QCOMPARE(ping.value(u"event"_qs).toString(), mode == u"dictate"_qs ? u"dictation"_qs : mode);
            QCOMPARE(ping.value(u"chars"_qs).toInteger(), text.size());
        }
        if (mode != u"dictate"_qs && !text.isEmpty()) {
            QVERIFY(h.state->deck().isVisible());
            QCOMPARE(h.state->deck().modeRaw(), mode);
        }
    }

    void pushToTalk()
    {
        AppHarness h({}, true);
        QSignalSpy processed(h.state.get(), &AppState::processed);
        h.state->stopDictation(); // a release without a recording
        QCOMPARE(h.state->statusMessage(), AppState::kIdleMessage);
        h.state->meeting().start();
        h.state->startDictation();
        QCOMPARE(h.state->statusMessage(), u"Meeting Mode is running"_qs);
        QCOMPARE(h.input.starts(), 0);
        h.state->meeting().stop();

        h.state->startDictation();
        h.state->startDictation(); // a second press while recording
        QCOMPARE(h.input.starts(), 1);
        QVERIFY(h.state->isDictating());
        QCOMPARE(h.state->statusMessage(), u"Listening… (pauses OK — release Alt when done)"_qs);

        h.state->stopDictation();
        QVERIFY(!h.state->isDictating());
        QCOMPARE(h.state->statusMessage(), u"Processing…"_qs);
        h.finishWith(u"hello there"_qs);
        QVERIFY(processed.wait(2000));
        QCOMPARE(h.inserted, u"Hello there."_qs);
        QCOMPARE(h.state->statusMessage(), u"Inserted — Hold Right Alt to dictate"_qs);

        // The mode at the release decides the route, not a change while the text is finalised.
        h.inserted.clear();
        h.state->setVoiceMode(VoiceMode::Capture);
        h.state->startDictation();
        QCOMPARE(h.state->statusMessage(), u"Capturing tasks… release Alt when done"_qs);
        h.state->stopDictation();
        h.state->deck().select(DeckMode::Dictate);
        h.finishWith(u"buy milk"_qs);
        QVERIFY(processed.wait(2000));
        QCOMPARE(h.state->statusMessage(), u"Captured 1 task"_qs);
        QVERIFY(h.inserted.isEmpty());

        h.input.fakeFormat = {0.0, 0};
        h.state->startDictation();
        QCOMPARE(h.state->statusMessage(), u"Mic error: No microphone input available"_qs);
        QVERIFY(!h.state->isDictating());
    }

    // Quitting mid-meeting keeps what was said; stopping writes the final notes.
    void meetingNotesKeptInTheDataFolder()
    {
        AppHarness h;
        MeetingSession &meeting = h.state->meeting();
        meeting.start();
        QVERIFY(meeting.isRunning() && h.meetingInput);
        h.meetingInput->pushConstant(0.1f, 8);
        h.meetingInput->pushConstant(0, 28);
        QVERIFY(h.recognizer->waitForTasks(1));
        QTRY_COMPARE(h.recognizer->lastTask()->endAudioCalls(), 1);
        h.recognizer->lastTask()->finalResult(u"we will ship it friday"_qs);
        QTRY_COMPARE(meeting.segments().size(), 1);

        h.state->flush();
        const QString path = h.state->meetingNotes().path();
        QVERIFY(path.startsWith(h.home.dataFolder()));
        QFile notes(path);
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(notes.readAll()), meeting.exportMarkdown());
        notes.close();

        QSignalSpy finished(&meeting, &MeetingSession::finishedProcessing);
        h.clock.advance(60);
        meeting.stop();
        QVERIFY(finished.wait(5000));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(notes.readAll()).contains(u"- Duration: 1:00"_qs));
        QCOMPARE(MeetingNotesFile::newest(h.home.dataFolder()), path);
    }

    void engineReportsReachTheStatusLine()
    {
        AppHarness h({}, true);
        QSignalSpy processed(h.state.get(), &AppState::processed);
        h.state->startDictation();
        h.input.pushConstant(0.05f);
        QTRY_COMPARE(h.state->audioLevel(), 0.4f);

        h.input.end(u"Connection to the sound server lost"_qs);
        QTRY_COMPARE(h.state->statusMessage(),
                     u"Speech error: Microphone stopped: Connection to the sound server lost"_qs);
        QVERIFY(h.state->isDictating()); // until the key comes up
        h.finishWith(u"call the bank"_qs);
        h.state->stopDictation();
        QVERIFY(processed.wait(1000)); // what was heard, without waiting for the stop limit
        QCOMPARE(h.inserted, u"Call the bank."_qs);
    }

    void garbageSettingsFallBackToDefaults()
    {
        AppHarness h({{u"usageEnabled"_qs, true},
                      {u"removeFillers"_qs, u"perhaps"_qs},
                      {u"autoPunctuate"_qs, QStringList{u"a"_qs, u"b"_qs}},
                      {u"usageEndpoint"_qs, u"not a url"_qs}});
        AppSettings &settings = *h.state->settings();
        QVERIFY(settings.removeFillers());
        QVERIFY(settings.autoPunctuate());
        QCOMPARE(settings.usageUrl(), std::nullopt);
        settings.setUsageEndpoint(u"http://127.0.0.1:9/api/track"_qs);
        QCOMPARE(settings.usageUrl(), std::optional<QUrl>(QUrl(u"http://127.0.0.1:9/api/track"_qs)));
        settings.setUsageEnabled(false);
        QCOMPARE(settings.usageUrl(), std::nullopt);
    }

    void deckShowsHidesAndSelects()
    {
        AppHarness h;
        CountingHud hud;
        CommandDeckController &deck = h.state->deck();
        h.state->setFocusHud(&hud);
        QStringList opened;
        connect(&h.state->windows(), &OpenWindowBridge::openRequested, this,
                [&opened](const QString &id) { opened << id; });

        deck.select(DeckMode::Focus); // no session yet: no HUD
        QCOMPARE(h.state->voiceMode(), VoiceMode::Focus);
        QCOMPARE(hud.shows, 0);
        h.state->focusCoach().setFromSpeech(u"Ship the beta"_qs);
        const int hudShowsAfterSet = hud.shows;
        deck.select(DeckMode::Focus);
        QCOMPARE(hud.shows, hudShowsAfterSet + 1);

        deck.show();
        deck.select(DeckMode::Meeting); // hides the deck, opens the window, keeps the voice mode
        QVERIFY(!deck.isVisible());
        QCOMPARE(opened, QStringList{u"meeting"_qs});
        QCOMPARE(h.state->voiceMode(), VoiceMode::Focus);
        QVERIFY(!deck.hasBanner());
        deck.select(DeckMode::Tasks);
        QCOMPARE(opened, (QStringList{u"meeting"_qs, u"tasks"_qs}));
        QCOMPARE(deck.modeRaw(), u"tasks"_qs);

        deck.presentCapture({});
        QVERIFY(deck.isVisible());
        QCOMPARE(deck.modeRaw(), u"capture"_qs);
        QCOMPARE(deck.bannerText(), u"Didn’t catch any tasks — try again"_qs);
    }

    // A push-to-talk started by a binding ends by itself when its release never comes.
    void pushToTalkWatchdog_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("expiries");
        QTest::newRow("start without stop") << QStringList{u"arm"_qs} << 1;
        QTest::newRow("start and stop") << QStringList{u"arm"_qs, u"disarm"_qs} << 0;
        QTest::newRow("second start") << QStringList{u"arm"_qs, u"arm"_qs} << 1;
    }

    void pushToTalkWatchdog()
    {
        QFETCH(QStringList, calls);
        QFETCH(int, expiries);
        PushToTalkWatchdog watchdog(std::chrono::milliseconds(20));
        int expired = 0;
        watchdog.onExpired = [&expired] { ++expired; };
        for (const QString &call : calls)
            call == u"arm"_qs ? watchdog.arm() : watchdog.disarm();
        if (expiries > 0)
            QTRY_COMPARE_WITH_TIMEOUT(expired, expiries, 5000);
        QTest::qWait(200); // long past the limit: no second expiry, and none after a stop
        QCOMPARE(expired, expiries);
    }
};

DICTRAVA_TEST(AppStateTest)
#include "AppStateTest.moc"
