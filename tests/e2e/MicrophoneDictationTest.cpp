// Push-to-talk end to end without a desktop: a real PulseAudio server whose microphone is a pipe
// fed with rendered speech, captured through PulseAudioInput, recognised by PocketSphinx,
// stitched by the engine and cleaned and routed by the app state.
#include "app/AppState.h"
#include "dictation/CursorInserter.h"
#include "dictation/DictationEngine.h"
#include "dictation/Permissions.h"
#include "platform/PocketSphinxRecognizer.h"
#include "platform/PulseAudioInput.h"
#include "stores/HistoryStore.h"
#include "support/IsolatedHome.h"
#include "support/PrivatePulseServer.h"
#include "support/RecordingNotificationCenter.h"
#include "support/RenderedSpeech.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class TrustedDesktop final : public CursorInserter, public Permissions
{
public:
    void insertAtCursor(const QString &text) override { inserted = text; }
    void requestMicrophone(std::function<void(bool)> answer) override { answer(true); }
    void requestSpeech(std::function<void(bool)> answer) override { answer(true); }
    bool isAccessibilityTrusted(bool) override { return true; }
    QString inserted;
};

} // namespace

class MicrophoneDictationTest : public QObject
{
    Q_OBJECT

private slots:
    void speechThroughPulseAudioIsInsertedCleaned();
    void serverGoingAwayEndsWithWhatWasHeard();
};

void MicrophoneDictationTest::speechThroughPulseAudioIsInsertedCleaned()
{
    IsolatedHome home;
    PrivatePulseServer pulse;
    QVERIFY2(pulse.isRunning(), qPrintable(pulse.errorString()));
    QTemporaryDir dir;
    const QString first = dir.filePath(u"a.wav"_qs), second = dir.filePath(u"b.wav"_qs);
    QVERIFY(renderSpeechFile(u"slt"_qs, u"please send the report to the team"_qs, first));
    QVERIFY(renderSpeechFile(u"slt"_qs, u"remember to water the plants"_qs, second));

    PulseAudioInput microphone(pulse.serverAddress());
    QVERIFY(PulseAudioInput::hasCaptureSource(pulse.serverAddress()));
    DictationEngine engine(microphone, pocketSphinxRecognizerProvider());
    RecordingNotificationCenter notifications;
    TrustedDesktop desktop;
    AppServices services;
    services.notifications = &notifications;
    services.engine = &engine;
    services.inserter = &desktop;
    services.permissions = &desktop;
    QSettings settings(home.root() + u"/Dictrava.conf"_qs, QSettings::IniFormat);
    SystemClock clock;
    AppState state(settings, clock, services, home.dataFolder());
    QSignalSpy processed(&state, &AppState::processed);

    state.startDictation();
    QVERIFY(state.isDictating());
    // Two sentences with a pause long enough for the recogniser to close its task between them.
    QVERIFY(pulse.feedFile(first));
    pulse.feedSilence(2.0);
    QVERIFY(pulse.feedFile(second));
    pulse.feedSilence(0.8);
    // The event loop keeps running while the audio plays: the engine opens its next recognition
    // request there after the pause.
    QTRY_VERIFY_WITH_TIMEOUT(pulse.waitUntilFed(0), 30000);
    state.stopDictation();
    QVERIFY(processed.wait(10000));

    const QString text = desktop.inserted;
    QVERIFY2(wordOverlap(u"please send the report to the team remember to water the plants"_qs, text) >= 0.7,
             qPrintable(text));
    QVERIFY2(text.front().isUpper() && text.endsWith(u'.'), qPrintable(text));
    QCOMPARE(state.historyStore().entries().first().text, text);
}

void MicrophoneDictationTest::serverGoingAwayEndsWithWhatWasHeard()
{
    PrivatePulseServer pulse;
    QVERIFY2(pulse.isRunning(), qPrintable(pulse.errorString()));
    QTemporaryDir dir;
    const QString speech = dir.filePath(u"a.wav"_qs);
    QVERIFY(renderSpeechFile(u"rms"_qs, u"remember to water the plants"_qs, speech));

    PulseAudioInput microphone(pulse.serverAddress());
    DictationEngine engine(microphone, pocketSphinxRecognizerProvider());
    QStringList errors;
    std::mutex mutex;
    engine.onError = [&](const QString &message) {
        std::lock_guard lock(mutex);
        errors.append(message);
    };
    QVERIFY(!engine.start());
    QVERIFY(pulse.feedFile(speech));
    pulse.feedSilence(0.3);
    QVERIFY(pulse.waitUntilFed());
    QTest::qWait(500);
    pulse.kill();
    QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), 5000);
    QVERIFY2(errors.first().startsWith(u"Microphone stopped: "_qs), qPrintable(errors.first()));

    QString raw;
    bool done = false;
    engine.stopAndFinalize([&](const QString &text) {
        std::lock_guard lock(mutex);
        raw = text;
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 3000);
    QVERIFY2(wordOverlap(u"remember to water the plants"_qs, raw) >= 0.6, qPrintable(raw));
}

QTEST_GUILESS_MAIN(MicrophoneDictationTest)
#include "MicrophoneDictationTest.moc"
