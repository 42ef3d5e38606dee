#include "meeting/MeetingSession.h"
#include "TestRegistry.h"
#include "core/Clock.h"
#include "meeting/MeetingNotes.h"
#include "platform/MemoryPasteboard.h"
#include "support/FakeAudioInput.h"
#include "support/ScriptedRecognizer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

constexpr int quietToClose = 28; // 1.2 s of 2048-frame buffers at 48 kHz

// A voiced sound: harmonics of a wavering f0 falling off as 1/h^rolloff, phase kept across
// buffers. The wavering gives its frames the spread a real voice has.
struct Voice
{
    double f0 = 100;
    double rolloff = 1;
    qint64 position = 0;
    double phase = 0;

    std::vector<float> buffer(double sampleRate)
    {
        std::vector<float> samples(2048);
        for (float &sample : samples) {
            const double t = double(position++) / sampleRate;
            phase +=
                2 * std::numbers::pi * f0 * (1 + 0.05 * std::sin(2 * std::numbers::pi * 3 * t)) / sampleRate;
            double value = 0;
            for (int h = 1; h * f0 < 5000; ++h)
                value += std::sin(h * phase) / std::pow(h, rolloff);
            sample = float(0.1 * value);
        }
        return samples;
    }
};

// A meeting on a fake input, a scripted recogniser and a still clock; it is its own clipboard.
struct Rig final : MemoryPasteboard
{
    ManualClock clock{QDateTime(QDate(2026, 12, 6), QTime(15, 4, 5))};
    std::shared_ptr<ScriptedRecognizer> recognizer = std::make_shared<ScriptedRecognizer>();
    FakeAudioInput *input = nullptr;
    std::unique_ptr<MeetingSession> session;

    explicit Rig(const QStringList &locales = {u"en_US"_s})
    {
        auto fake = std::make_unique<FakeAudioInput>();
        input = fake.get();
        session = std::make_unique<MeetingSession>(
            std::move(fake), ScriptedRecognizer::providerFor(recognizer, locales), clock, this);
    }

    void speak(Voice &voice, int loudBuffers = 8, int quietBuffers = quietToClose)
    {
        for (int i = 0; i < loudBuffers; ++i)
            input->push(voice.buffer(input->fakeFormat.sampleRate));
        input->pushConstant(0, quietBuffers);
    }

    // Speaks once, starting the meeting if needed, and waits for the utterance's recognition task.
    std::shared_ptr<ScriptedTask> open(Voice &voice)
    {
        if (!session->isRunning())
            session->start();
        const int task = recognizer->taskCount();
        speak(voice, 8, 0);
        return recognizer->waitForTasks(task + 1) ? recognizer->task(task) : nullptr;
    }

    // One utterance whose task answers `text`; waits for its segment unless the text is blank.
    bool say(Voice &voice, const QString &text)
    {
        const int task = recognizer->taskCount();
        const qsizetype segments = session->segments().size();
        speak(voice);
        if (!recognizer->waitForTasks(task + 1) ||
            !QTest::qWaitFor([&] { return recognizer->task(task)->endAudioCalls() == 1; }))
            return false;
        recognizer->task(task)->finalResult(text);
        return text.trimmed().isEmpty() ||
               QTest::qWaitFor([&] { return session->segments().size() > segments; });
    }

    QStringList labels() const
    {
        QStringList result;
        for (const MeetingSegment &segment : session->segments())
            result << segment.speakerLabel;
        return result;
    }
};

MeetingSegment segment(const QString &label, const QString &text)
{
    return {QUuid::createUuid(), 0, label, text, {}, 0, 0};
}

} // namespace

class MeetingSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void cutsUtterances_data()
    {
        QTest::addColumn<double>("sampleRate");
        QTest::addColumn<float>("loudness");
        QTest::addColumn<int>("loudBuffers");
        QTest::addColumn<int>("quietBuffers");
        QTest::addColumn<QString>("outcome"); // open, recognised, dropped, none
        QTest::newRow("27 quiet keep it open") << 48000.0 << 0.1f << 5 << 27 << u"open"_s;
        QTest::newRow("28th quiet closes it") << 48000.0 << 0.1f << 5 << 28 << u"recognised"_s;
        QTest::newRow("44.1 kHz: 25th closes it") << 44100.0 << 0.1f << 5 << 25 << u"recognised"_s;
        QTest::newRow("3 counted loud: dropped") << 48000.0 << 0.1f << 4 << 28 << u"dropped"_s;
        QTest::newRow("at the threshold is quiet") << 48000.0 << 0.008f << 8 << 0 << u"none"_s;
    }

    void cutsUtterances()
    {
        QFETCH(double, sampleRate);
        QFETCH(float, loudness);
        QFETCH(int, loudBuffers);
        QFETCH(int, quietBuffers);
        QFETCH(QString, outcome);
        Rig rig;
        rig.input->fakeFormat.sampleRate = sampleRate;
        rig.session->start();
        rig.input->pushConstant(loudness, loudBuffers);
        rig.input->pushConstant(0, quietBuffers);
        if (outcome == u"none"_s) {
            QTRY_VERIFY(rig.session->audioLevel() > 0); // the buffers were analysed
            QTest::qWait(50);
            QCOMPARE(rig.recognizer->taskCount(), 0);
            return;
        }
        QVERIFY(rig.recognizer->waitForTasks(1));
        const auto task = rig.recognizer->task(0);
        QCOMPARE(task->sampleRate(), sampleRate);
        if (outcome == u"dropped"_s) {
            QTRY_VERIFY(task->isCancelled());
            QCOMPARE(task->endAudioCalls(), 0);
            return;
        }
        // Every buffer from the opening one on goes to the recogniser, quiet ones included.
        QTRY_COMPARE(task->samplesAppended(), qint64(loudBuffers + quietBuffers) * 2048);
        if (outcome == u"open"_s) {
            QCOMPARE(task->endAudioCalls(), 0);
            return;
        }
        // The end of the audio may reach the task a moment after its last samples.
        QTRY_COMPARE(task->endAudioCalls(), 1);
        task->partial(u"hello"_s);
        QTRY_COMPARE(rig.session->liveText(), u"hello"_s);
        task->finalResult(u"  hello there\n"_s);
        QTRY_COMPARE(rig.session->segments().size(), 1);
        QCOMPARE(rig.session->segments().at(0).text, u"hello there"_s);
        QCOMPARE(rig.session->liveText(), QString());
        QVERIFY(task->isCancelled()); // dropped once its text is in
    }

    void attributesVoicesAndLearnsNames()
    {
        Rig rig;
        Voice low{100, 1};
        Voice high{300, 2};
        rig.session->start();
        QVERIFY(rig.say(low, u"hello everyone"_s));
        QVERIFY(rig.say(high, u"hi there"_s));
        QVERIFY(rig.say(low, u"good to see you"_s));
        QCOMPARE(rig.labels(), (QStringList{u"Speaker 1"_s, u"Speaker 2"_s, u"Speaker 1"_s}));

        QVERIFY(rig.say(low, u"oh and my name is maya"_s));
        QCOMPARE(rig.labels(), (QStringList{u"Maya"_s, u"Speaker 2"_s, u"Maya"_s, u"Maya"_s}));
        QCOMPARE(rig.session->speakerNames(), (QStringList{u"Maya"_s, u"Speaker 2"_s}));

        rig.session->renameSpeaker(1, u"  "_s);
        rig.session->renameSpeaker(1, u" Sam\n"_s);
        QCOMPARE(rig.labels(), (QStringList{u"Maya"_s, u"Sam"_s, u"Maya"_s, u"Maya"_s}));
        QCOMPARE(rig.session->speakerNames(), (QStringList{u"Maya"_s, u"Sam"_s}));
        QCOMPARE(rig.session->wordCount(), 14);

        // The roster outlives the meeting; the transcript does not.
        rig.session->stop();
        rig.session->start();
        QVERIFY(rig.session->segments().isEmpty());
        QVERIFY(rig.say(high, u"back again"_s));
        QCOMPARE(rig.labels(), QStringList{u"Sam"_s});

        rig.session->clearRoster();
        QVERIFY(rig.session->speakerNames().isEmpty());
        QVERIFY(rig.session->segments().isEmpty());
    }

    // The second speaker follows within the silence that would end the utterance.
    void splitsWhereTheVoiceChanges()
    {
        Rig rig;
        Voice low{100, 1};
        Voice high{300, 2};
        rig.session->start();
        rig.input->pushConstant(0, 5);
        rig.speak(low, 10, 14);
        rig.speak(high, 10);
        QVERIFY(rig.recognizer->waitForTasks(1));
        QTRY_COMPARE(rig.recognizer->task(0)->endAudioCalls(), 1);
        const auto word = [](const char *text, double start, double end) {
            return RecognizedWord{QString::fromLatin1(text), start, end};
        };
        rig.recognizer->task(0)->finalResult(u"hello there how are you"_s, 0,
                                             {word("hello", 0, 0.2), word("there", 0.2, 0.4),
                                              word("how", 1.05, 1.2), word("are", 1.2, 1.3),
                                              word("you", 1.3, 1.4)});
        QTRY_COMPARE(rig.session->segments().size(), 2);
        const auto seconds = [](int buffers) { return buffers * 2048 / 48000.0; };
        const MeetingSegment first = rig.session->segments().at(0);
        const MeetingSegment second = rig.session->segments().at(1);
        QCOMPARE(first.text, u"hello there"_s);
        QCOMPARE(second.text, u"how are you"_s);
        QCOMPARE(QList<int>({first.speakerIndex, second.speakerIndex}), QList<int>({0, 1}));
        const QList<double> times{first.start, first.end, second.start, second.end};
        const QList<double> expected{seconds(5), seconds(15), seconds(29), seconds(39)};
        for (qsizetype i = 0; i < times.size(); ++i)
            QVERIFY2(std::abs(times[i] - expected[i]) < 1e-9, qPrintable(QString::number(times[i])));
    }

    void checkIn()
    {
        Rig rig;
        Voice voice{150, 1};
        rig.session->beginEnrollment(u" Priya \n"_s);
        QVERIFY(rig.session->isRunning());
        QCOMPARE(rig.session->enrollmentHint(),
                 u"Listening for Priya — have them speak for a couple seconds"_s);

        // Nothing understood: the check-in waits for the next utterance.
        QVERIFY(rig.say(voice, u" "_s));
        QTest::qWait(50);
        QVERIFY(rig.session->segments().isEmpty());
        QCOMPARE(rig.session->pendingEnrollmentName(), u"Priya"_s);

        QVERIFY(rig.say(voice, u"I am just listening"_s));
        QCOMPARE(rig.labels(), QStringList{u"Priya"_s});
        QCOMPARE(rig.session->pendingEnrollmentName(), QString());
        QCOMPARE(rig.session->enrollmentHint(), u"Mapped voice → Priya"_s);

        // A cancelled check-in does not name the next voice.
        rig.session->beginEnrollment(u"Tom"_s);
        rig.session->cancelEnrollment();
        QCOMPARE(rig.session->enrollmentHint(), QString());
        Voice other{320, 2};
        QVERIFY(rig.say(other, u"hello"_s));

        // Three more names fill the roster; a sixth name is refused.
        for (const QString &name : {u"Ann"_s, u"Bo"_s, u"Cy"_s}) {
            rig.session->beginEnrollment(name);
            QVERIFY(rig.say(voice, u"present"_s));
        }
        QCOMPARE(rig.session->speakerNames(),
                 (QStringList{u"Priya"_s, u"Speaker 2"_s, u"Ann"_s, u"Bo"_s, u"Cy"_s}));
        rig.session->beginEnrollment(u"Zed"_s);
        QCOMPARE(rig.session->errorMessage(),
                 u"Already tracking 5 voices. Rename an existing speaker instead."_s);
        QCOMPARE(rig.session->pendingEnrollmentName(), QString());
    }

    void pauseAndEndKeepSpeech()
    {
        Rig rig;
        Voice voice;
        QSignalSpy finished(rig.session.get(), &MeetingSession::finishedProcessing);
        QSignalSpy ended(rig.session.get(), &MeetingSession::inputEnded);
        rig.session->stop(); // not running: nothing
        rig.session->togglePause();
        QVERIFY(!rig.session->isPaused());

        auto task = rig.open(voice);
        QVERIFY(task);
        rig.session->togglePause();
        QCOMPARE(rig.session->enrollmentHint(), u"Paused — press Resume when ready"_s);
        QTRY_COMPARE(task->endAudioCalls(), 1);
        task->finalResult(u"said before the pause"_s);
        QTRY_COMPARE(rig.session->segments().size(), 1);
        rig.speak(voice); // heard while paused: ignored
        QTest::qWait(50);
        QCOMPARE(rig.recognizer->taskCount(), 1);
        QCOMPARE(rig.session->audioLevel(), 0.0f);
        rig.session->togglePause();
        QCOMPARE(rig.session->enrollmentHint(), QString());

        // The input ending stops the meeting; the transcript is final once the last text is in.
        task = rig.open(voice);
        QVERIFY(task);
        rig.input->end(u"end of file"_s);
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended.at(0).at(0).toString(), u"end of file"_s);
        QVERIFY(!rig.session->isRunning());
        QTRY_COMPARE(task->endAudioCalls(), 1);
        QCOMPARE(finished.size(), 0);
        task->finalResult(u"last words"_s);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(rig.session->segments().size(), 2);
    }

    void resolvesOnce_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("waitsForLimit");
        QTest::newRow("final result") << u"final"_s << u"the final"_s << false;
        QTest::newRow("error keeps the text so far") << u"error"_s << u"so far"_s << false;
        QTest::newRow("no final: latest at the limit") << u"silent"_s << u"so far"_s << true;
        QTest::newRow("final before the audio ended") << u"early"_s << u"the final"_s << true;
    }

    void resolvesOnce()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        QFETCH(bool, waitsForLimit);
        Rig rig;
        Voice voice;
        const auto task = rig.open(voice);
        QVERIFY(task);
        task->partial(u"so far"_s);
        if (script == u"early"_s)
            task->finalResult(u"the final"_s);
        rig.input->pushConstant(0, quietToClose);
        QTRY_COMPARE(task->endAudioCalls(), 1);
        QElapsedTimer sinceEnd;
        sinceEnd.start();
        if (script == u"final"_s)
            task->finalResult(u"the final"_s);
        if (script == u"error"_s)
            task->fail(RecognitionError::Kind::Failed, u"decoder failed"_s);
        QTRY_COMPARE_WITH_TIMEOUT(rig.session->segments().size(), 1, 5000);
        QCOMPARE(rig.session->segments().at(0).text, text);
        // A limit cannot fire early, however busy the machine is.
        if (waitsForLimit)
            QVERIFY2(sinceEnd.elapsed() >= 2900, qPrintable(QString::number(sinceEnd.elapsed())));
        task->deliverLate(RecognitionResult{u"too late"_s, true, {}});
        QTest::qWait(50);
        QCOMPARE(rig.session->segments().size(), 1);
        QCOMPARE(rig.session->liveText(), QString());
    }

    void overlappingUtterances()
    {
        Rig rig;
        Voice voice;
        rig.session->start();
        rig.speak(voice, 8);
        rig.speak(voice, 6);
        QVERIFY(rig.recognizer->waitForTasks(2));
        QTRY_COMPARE(rig.recognizer->task(1)->endAudioCalls(), 1);
        QCOMPARE(rig.recognizer->task(0)->samplesAppended(), qint64(8 + quietToClose) * 2048);
        QCOMPARE(rig.recognizer->task(1)->samplesAppended(), qint64(6 + quietToClose) * 2048);
        // A later utterance recognised first waits: the transcript and the voices keep the order
        // in which people spoke.
        rig.recognizer->task(1)->finalResult(u"second"_s);
        rig.recognizer->task(0)->finalResult(u"first"_s);
        QTRY_COMPARE(rig.session->segments().size(), 2);
        QCOMPARE(rig.session->segments().at(0).text, u"first"_s);
        QCOMPARE(rig.session->segments().at(1).text, u"second"_s);
    }

    // The recogniser ended the utterance at a shorter pause than the meeting's: what follows
    // gets a task of its own instead of going unheard.
    void followsTheRecognizersEnd()
    {
        Rig rig;
        Voice voice;
        const auto first = rig.open(voice);
        QVERIFY(first);
        first->finalResult(u"first part"_s);
        rig.input->pushConstant(0, 10);
        rig.speak(voice);
        QVERIFY(rig.recognizer->waitForTasks(2));
        QCOMPARE(first->endAudioCalls(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(rig.session->segments().size(), 1, 5000);
        QCOMPARE(rig.session->segments().at(0).text, u"first part"_s);
        QTRY_COMPARE(rig.recognizer->task(1)->endAudioCalls(), 1);
        QCOMPARE(rig.recognizer->task(1)->samplesAppended(), qint64(8 + quietToClose) * 2048);
    }

    void startFailures()
    {
        Rig rig;
        rig.input->fakeFormat.sampleRate = 0;
        rig.session->start();
        QCOMPARE(rig.session->errorMessage(), u"No microphone input available."_s);
        rig.input->fakeFormat.sampleRate = 48000;
        rig.input->startFailure = u"Device busy"_s;
        rig.session->start();
        QVERIFY(!rig.session->isRunning());
        QCOMPARE(rig.session->errorMessage(), u"Audio error: Device busy"_s);
        rig.input->startFailure.reset();
        rig.session->start();
        QVERIFY(rig.session->isRunning());
        QCOMPARE(rig.session->errorMessage(), QString());

        // Without a recogniser the meeting runs, hears, and adds nothing.
        Rig deaf(QStringList{});
        QSignalSpy finished(deaf.session.get(), &MeetingSession::finishedProcessing);
        Voice voice;
        deaf.session->start();
        deaf.speak(voice);
        deaf.session->stop();
        QVERIFY(finished.wait(5000));
        QVERIFY(deaf.session->segments().isEmpty());
        QCOMPARE(deaf.recognizer->taskCount(), 0);
    }

    void markdown()
    {
        Rig rig;
        Voice low{100, 1};
        Voice high{300, 2};
        rig.session->start();
        rig.clock.advance(75 * 60);
        QVERIFY(rig.say(low, u"We will ship it"_s));
        rig.clock.advance(3);
        QVERIFY(rig.say(high, u"Sounds good  to me"_s));
        QCOMPARE(rig.session->elapsedDescription(), u"75:03"_s);
        const QString expected = u"# Meeting transcript — Dec 6, 2026, 4:19\u202FPM\n\n- Duration: 75:03\n"
                                 "- Speakers: Speaker 1, Speaker 2\n- Words: 8\n\n## Action items\n\n"
                                 "- [ ] **Speaker 1:** We will ship it\n\n## Transcript\n\n"
                                 "**Speaker 1** (4:19:05\u202FPM): We will ship it\n\n"
                                 "**Speaker 2** (4:19:08\u202FPM): Sounds good  to me\n"_s;
        QCOMPARE(rig.session->copyMarkdown(), expected);
        QCOMPARE(rig.text(), expected);

        const QDateTime moment(QDate(2027, 3, 28), QTime(9, 5));
        QCOMPARE(MeetingNotes::markdown({{}, {}, u"0:00"_s, moment}),
                 u"# Meeting transcript — Mar 28, 2027, 9:05\u202FAM\n\n- Duration: 0:00\n- Speakers: —\n"
                 "- Words: 0\n\n## Transcript\n"_s);
    }

    void actionItemsAndWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isItem");
        QTest::addColumn<int>("words");
        QTest::newRow("typographic apostrophe") << u"I’ll send it"_s << false << 3;
        QTest::newRow("plain apostrophe") << u"I'll send it"_s << true << 3;
        QTest::newRow("owner") << u"OWNER: Sam"_s << true << 2;
        QTest::newRow("inside a word") << u"mytodolist is long"_s << true << 3;
        QTest::newRow("will at the end") << u"we will"_s << false << 2;
        QTest::newRow("line break") << u"hello\nthere"_s << false << 1;
        QTest::newRow("tab") << u"a\tb c"_s << false << 2;
        QTest::newRow("edges") << u" one two three "_s << false << 3;
    }

    void actionItemsAndWords()
    {
        QFETCH(QString, text);
        QFETCH(bool, isItem);
        QFETCH(int, words);
        const QList<MeetingSegment> segments{segment(u"Sam"_s, u"hello"_s), segment(u"Maya"_s, text)};
        const QList<MeetingActionItem> items = MeetingNotes::actionItems(segments);
        QCOMPARE(items.size(), isItem ? 1 : 0);
        if (isItem) {
            QCOMPARE(items.at(0).text, text);
            QCOMPARE(items.at(0).speakerLabel, u"Maya"_s);
        }
        QCOMPARE(MeetingNotes::wordCount(segments), words + 1);
    }
};

DICTRAVA_TEST(MeetingSessionTest)
#include "MeetingSessionTest.moc"
