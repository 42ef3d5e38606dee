#include "dictation/DictationEngine.h"
#include "TestRegistry.h"
#include "support/FakeAudioInput.h"
#include "support/ScriptedRecognizer.h"

#include <QElapsedTimer>
#include <QTest>

#include <cmath>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// An engine on fakes, recording what reaches the owner from whichever thread.
struct Rig
{
    explicit Rig(const QStringList &locales = {u"en_US"_s})
        : engine(input, ScriptedRecognizer::providerFor(recognizer, locales))
    {
        engine.onPartial = [this](const QString &text) { record(shown, text); };
        engine.onError = [this](const QString &message) { record(errors, message); };
        engine.onLevel = [this](float level) { record(levels, level); };
    }

    void stop()
    {
        sinceStop.start();
        engine.stopAndFinalize([this](const DictationTranscript &transcript) {
            resolvedAfterMs = sinceStop.elapsed();
            record(cutShort, transcript.cutShort);
            record(results, transcript.text);
        });
    }

    template<typename List, typename Value>
    void record(List &list, const Value &value)
    {
        std::lock_guard lock(mutex);
        list.append(value);
    }
    template<typename T>
    T read(const T &value)
    {
        std::lock_guard lock(mutex);
        return value;
    }
    std::shared_ptr<ScriptedTask> current() const { return recognizer->lastTask(); }

    // Declared before the engine, which may still report while it goes.
    std::mutex mutex;
    QStringList shown;
    QStringList errors;
    QStringList results;
    QList<float> levels;
    QList<bool> cutShort;
    QElapsedTimer sinceStop;
    qint64 resolvedAfterMs = -1;

    FakeAudioInput input;
    std::shared_ptr<ScriptedRecognizer> recognizer = std::make_shared<ScriptedRecognizer>();
    DictationEngine engine;
};

} // namespace

class DictationEngineTest : public QObject
{
    Q_OBJECT

private slots:

    void join_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("joined");
        QTest::newRow("full stop before lower case")
            << u"I went to the store."_s << u"and bought milk"_s << u"I went to the store and bought milk"_s;
        QTest::newRow("full stop before capital")
            << u"I went to the store."_s << u"Then left"_s << u"I went to the store. Then left"_s;
        QTest::newRow("question mark, spaces before it") << u"is it \t?"_s << u"yes"_s << u"is it yes"_s;
        QTest::newRow("hyphen") << u"super-"_s << u"market"_s << u"supermarket"_s;
        QTest::newRow("empty first") << QString() << u" hi "_s << u"hi"_s;
        QTest::newRow("empty second") << u"\nhi\n"_s << u"  "_s << u"hi"_s;
        QTest::newRow("plain") << u"hello"_s << u"\nthere"_s << u"hello there"_s;
    }

    void join()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(DictationEngine::join(a, b), "joined");
    }

    void isContinuation_data()
    {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("next");
        QTest::addColumn<bool>("continues");
        QTest::newRow("grows") << u"hello there"_s << u"hello there friend"_s << true;
        QTest::newRow("shrinks") << u"hello there friend"_s << u"hello there"_s << true;
        QTest::newRow("same first three words")
            << u"Send the report today"_s << u"send the  report tomorrow"_s << true;
        QTest::newRow("two words differ in the second") << u"hello there"_s << u"hello world"_s << false;
        QTest::newRow("nothing before") << QString() << u"hi"_s << true;
    }

    void isContinuation()
    {
        QFETCH(QString, previous);
        QFETCH(QString, next);
        QTEST(DictationEngine::isContinuation(previous, next), "continues");
    }

    void level_data()
    {
        QTest::addColumn<QList<float>>("samples");
        QTest::addColumn<float>("level");
        QTest::newRow("empty") << QList<float>{} << 0.0f;
        QTest::newRow("loud is clamped") << QList<float>{0.5f, -0.5f} << 1.0f;
        QTest::newRow("not a number") << QList<float>{NAN} << 0.0f;
    }

    void level()
    {
        QFETCH(QList<float>, samples);
        QFETCH(float, level);
        QVERIFY(std::abs(DictationEngine::level(samples) - level) < 1e-6f);
    }

    void startErrors_data()
    {
        QTest::addColumn<QStringList>("locales");
        QTest::addColumn<bool>("available");
        QTest::addColumn<double>("sampleRate");
        QTest::addColumn<QString>("failure"); // the input's message, or "refuse": no task begins
        QTest::addColumn<int>("code");        // -1: started
        QTest::addColumn<QString>("description");

        const QStringList enUS{u"en_US"_s};
        QTest::newRow("falls back to en_US") << enUS << true << 16000.0 << QString() << -1 << QString();
        QTest::newRow("no recogniser")
            << QStringList() << true << 48000.0 << QString() << 1 << u"Speech recognizer unavailable"_s;
        QTest::newRow("recogniser unavailable")
            << enUS << false << 48000.0 << QString() << 1 << u"Speech recognizer unavailable"_s;
        QTest::newRow("no sample rate")
            << enUS << true << 0.0 << QString() << 2 << u"No microphone input available"_s;
        QTest::newRow("recogniser cannot begin")
            << enUS << true << 48000.0 << u"refuse"_s << 1 << u"Speech recognizer unavailable"_s;
        QTest::newRow("input fails") << enUS << true << 48000.0 << u"Connection refused"_s << 0
                                     << u"Connection refused"_s;
    }

    void startErrors()
    {
        QFETCH(QStringList, locales);
        QFETCH(bool, available);
        QFETCH(double, sampleRate);
        QFETCH(QString, failure);

        Rig rig(locales);
        rig.recognizer->available = available;
        rig.input.fakeFormat = {sampleRate, 1};
        rig.recognizer->refuseTasks = failure == u"refuse";
        if (!failure.isEmpty() && !rig.recognizer->refuseTasks)
            rig.input.startFailure = failure;
        const std::optional<DictationError> error = rig.engine.start();
        QTEST(error ? error->code : -1, "code");
        QTEST(error ? error->description : QString(), "description");
        if (!error) {
            QVERIFY(rig.input.isRunning());
            QCOMPARE(rig.current()->sampleRate(), sampleRate);
            return;
        }
        // Nothing is left listening.
        QVERIFY(!rig.input.isRunning());
        for (int i = 0; i < rig.recognizer->taskCount(); ++i)
            QVERIFY(rig.recognizer->task(i)->isCancelled());
    }

    void recording_data()
    {
        // Steps, one buffer of audio before each: p/f/e = partial, final, failure of the current
        // task; pause = a final at a pause that leaves the last buffer undecoded; c/n = cancelled,
        // no speech; lp/lf = late partial, final of the task before it; end = the input ends by
        // itself; refuse = no new task can begin; busy/idle = the task is decoding a backlog or has
        // caught up; stop = key released; wait = that many milliseconds pass. `atLimit`: the stop
        // limit gave up on the recogniser, and the transcript says it may be incomplete.
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<int>("tasks");
        QTest::addColumn<bool>("atLimit");

        const QStringList none;
        QTest::newRow("new hypothesis settles the old") << u"p:hello there|p:goodbye|stop|f:goodbye now"_s
                                                        << u"hello there goodbye now"_s << none << 1 << false;
        QTest::newRow("whole-task partials only revise")
            << u"whole|p:to ten|p:tomorrow in|p:tomorrow at three|stop|f:tomorrow at three"_s
            << u"tomorrow at three"_s << none << 1 << false;
        QTest::newRow("error mid-recording commits and restarts silently")
            << u"p:buy milk|e:network down|p:and eggs|stop|f:and eggs"_s << u"buy milk and eggs"_s << none
            << 2 << false;
        QTest::newRow("late events of a replaced task")
            << u"p:one|f:One.|lp:zombie|lf:zombie|p:two|stop|f:two"_s << u"One two"_s << none << 2 << false;
        QTest::newRow("cancelled at stop waits for the limit")
            << u"f:Call mom.|p:at noon|stop|c"_s << u"Call mom at noon"_s << none << 2 << true;
        QTest::newRow("release after a pause answers at once")
            << u"p:call mom|pause:Call mom.|stop|n"_s << u"Call mom."_s << none << 2 << false;
        QTest::newRow("speech queued at a pause during the stop is heard")
            << u"p:call mom|stop|pause:Call mom.|f:at noon"_s << u"Call mom at noon"_s << none << 2 << false;
        QTest::newRow("a recogniser still decoding gets the time it needs")
            << u"p:buy milk|busy|stop|wait:3000|idle|f:buy milk and eggs"_s << u"buy milk and eggs"_s << none
            << 1 << false;
        QTest::newRow("a recogniser that never answers is given up on")
            << u"p:buy milk|stop"_s << u"buy milk"_s << none << 1 << true;
        QTest::newRow("error at stop is reported and resolves")
            << u"p:call mom|stop|e:Recognition failed"_s << u"call mom"_s
            << QStringList{u"Recognition failed"_s} << 1 << false;
        QTest::newRow("released before speech") << u"stop|f:"_s << QString() << none << 1 << false;
        QTest::newRow("second resolve does nothing")
            << u"p:hi|stop|f:hi there|wait:1700"_s << u"hi there"_s << none << 1 << false;
        QTest::newRow("restart fails: reported, the recording goes on")
            << u"p:hello|refuse|f:hello world|p:ignored|stop"_s << u"hello world"_s
            << QStringList{u"Speech recognizer unavailable"_s} << 1 << false;
        QTest::newRow("input ends mid-recording")
            << u"p:buy milk|end:Connection to the sound server lost|f:buy milk today|stop"_s
            << u"buy milk today"_s
            << QStringList{u"Microphone stopped: Connection to the sound server lost"_s} << 1 << false;
    }

    void recording()
    {
        QFETCH(QString, script);
        QFETCH(bool, atLimit);

        Rig rig;
        if (script.startsWith(u"whole|")) {
            rig.recognizer->wholeTaskPartials = true;
            script.remove(0, 6);
        }
        QVERIFY(!rig.engine.start());
        using Kind = RecognitionError::Kind;
        for (const QString &step : script.split(u'|')) {
            const QString verb = step.section(u':', 0, 0);
            const QString text = step.section(u':', 1);
            const std::shared_ptr<ScriptedTask> task = rig.current();
            const std::shared_ptr<ScriptedTask> before =
                rig.recognizer->task(rig.recognizer->taskCount() - 2);
            rig.input.pushConstant(0.1f);
            if (verb == u"p")
                task->partial(text);
            else if (verb == u"f")
                task->finalResult(text);
            else if (verb == u"pause")
                task->finalResult(text, 2048);
            else if (verb == u"busy" || verb == u"idle")
                task->backlog = verb == u"busy" ? 48000 : 0;
            else if (verb == u"e")
                task->fail(Kind::Failed, text);
            else if (verb == u"c")
                task->fail(Kind::Cancelled, u"cancelled"_s);
            else if (verb == u"n")
                task->fail(Kind::NoSpeech, u"no speech"_s);
            else if (verb == u"lp" || verb == u"lf")
                before->deliverLate(RecognitionResult{text, verb == u"lf", {}});
            else if (verb == u"refuse")
                rig.recognizer->refuseTasks = true;
            else if (verb == u"end")
                rig.input.end(text);
            else if (verb == u"stop")
                rig.stop();
            else if (verb == u"wait")
                QTest::qWait(text.toInt());
            QCoreApplication::processEvents(); // a restart begins here
        }

        if (atLimit) {
            QCOMPARE(rig.read(rig.results).size(), 0);
            QTRY_COMPARE_WITH_TIMEOUT(rig.read(rig.results).size(), 1, 5000);
            QVERIFY(rig.read(rig.resolvedAfterMs) >= 1400);
        } else {
            QCOMPARE(rig.read(rig.results).size(), 1);
        }
        QCOMPARE(rig.read(rig.cutShort), QList<bool>{atLimit});
        QTEST(rig.read(rig.results).first(), "raw");
        QTEST(rig.read(rig.errors), "errors");
        QTEST(rig.recognizer->taskCount(), "tasks");
        QTRY_VERIFY(rig.current()->isCancelled()); // torn down once resolved
        QVERIFY(!rig.input.isRunning());
    }

    // The speaker pauses: the text grows across the two requests, and audio spoken before the
    // engine has opened the next request (that happens on this thread) reaches it.
    void oneGrowingTextAcrossAPause()
    {
        Rig rig;
        QVERIFY(!rig.engine.start());
        rig.input.pushConstant(0.05f, 2);
        QCOMPARE(rig.read(rig.levels), (QList<float>{0.4f, 0.4f}));
        const std::shared_ptr<ScriptedTask> first = rig.current();
        first->partial(u"hello there"_s);
        first->finalResult(u"Hello there."_s, 2048); // the pause came before the last buffer
        rig.input.pushConstant(0.05f, 3);
        QCOMPARE(first->samplesAppended(), qint64(2048));
        QVERIFY(rig.recognizer->waitForTasks(2));
        QVERIFY(first->isCancelled());

        const std::shared_ptr<ScriptedTask> second = rig.current();
        QCOMPARE(second->samplesAppended(), qint64(4 * 2048));
        rig.input.pushConstant(0.05f);
        QCOMPARE(second->samplesAppended(), qint64(5 * 2048));
        second->partial(u"and then"_s);

        rig.stop();
        QCOMPARE(second->endAudioCalls(), 1);
        QCOMPARE(rig.read(rig.levels).last(), 0.0f);
        rig.input.pushConstant(0.05f); // the microphone is off
        QCOMPARE(second->samplesAppended(), qint64(5 * 2048));
        second->finalResult(u"and then some"_s);
        QTRY_COMPARE(rig.read(rig.results), QStringList{u"Hello there and then some"_s});
        QCOMPARE(rig.read(rig.shown),
                 (QStringList{QString(), u"hello there"_s, u"Hello there."_s, u"Hello there and then"_s,
                              u"Hello there and then some"_s}));
    }

    void pressAgainWhileAStopWaits()
    {
        Rig rig;
        QVERIFY(!rig.engine.start());
        rig.current()->partial(u"first"_s);
        rig.stop(); // the recogniser has not answered yet
        QVERIFY(!rig.engine.start());
        QCOMPARE(rig.read(rig.results), QStringList{u"first"_s}); // the first recording keeps its text

        QTest::qWait(1700); // neither its teardown nor its time limit touches the new recording
        QVERIFY(rig.input.isRunning());
        rig.input.pushConstant(0.1f);
        QCOMPARE(rig.current()->samplesAppended(), qint64(2048));
        QVERIFY(!rig.current()->isCancelled());
        rig.current()->partial(u"second"_s);
        rig.stop();
        rig.current()->finalResult(u"second take"_s);
        QTRY_COMPARE(rig.read(rig.results), (QStringList{u"first"_s, u"second take"_s}));
        QCOMPARE(rig.read(rig.cutShort), (QList<bool>{true, false})); // the first was not finished
    }

    void destroyedWhileAStopWaits()
    {
        auto rig = std::make_unique<Rig>();
        QVERIFY(!rig->engine.start());
        rig->current()->partial(u"half a thought"_s);
        rig->stop();
        const std::shared_ptr<ScriptedRecognizer> recognizer = rig->recognizer;
        QStringList results;
        rig->engine.stopAndFinalize(
            [&results](const DictationTranscript &transcript) { results.append(transcript.text); });
        QCOMPARE(rig->read(rig->results),
                 QStringList{u"half a thought"_s}); // a second stop: the first gets its text
        rig.reset();
        QCOMPARE(results, QStringList{u"half a thought"_s}); // the waiting stop is answered on the way out
        QVERIFY(recognizer->lastTask()->isCancelled());
        QTest::qWait(1700); // a time limit that would have fired finds nothing
        QCOMPARE(results.size(), 1);
    }
};

DICTRAVA_TEST(DictationEngineTest)
#include "DictationEngineTest.moc"
