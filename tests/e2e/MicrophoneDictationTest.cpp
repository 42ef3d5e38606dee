// The microphone going away mid-recording, end to end without a desktop: a real PulseAudio server
// whose microphone is a pipe fed with rendered speech, captured through PulseAudioInput and
// recognised by PocketSphinx. (Dictation into another program: DesktopDictationTest.)
#include "TestRegistry.h"
#include "dictation/DictationEngine.h"
#include "platform/PocketSphinxRecognizer.h"
#include "platform/PulseAudioInput.h"
#include "support/PrivatePulseServer.h"
#include "support/RenderedSpeech.h"

#include <QTemporaryDir>
#include <QTest>

#include <mutex>

class MicrophoneDictationTest : public QObject
{
    Q_OBJECT

private slots:
    void serverGoingAwayEndsWithWhatWasHeard()
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
        engine.stopAndFinalize([&](const DictationTranscript &transcript) {
            std::lock_guard lock(mutex);
            raw = transcript.text;
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 3000);
        QVERIFY2(wordOverlap(u"remember to water the plants"_qs, raw) >= 0.6, qPrintable(raw));
    }
};

DICTRAVA_TEST(MicrophoneDictationTest)
#include "MicrophoneDictationTest.moc"
