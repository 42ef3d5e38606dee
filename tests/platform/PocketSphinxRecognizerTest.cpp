#include "platform/PocketSphinxRecognizer.h"
#include "TestRegistry.h"
#include "support/RenderedSpeech.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString kSentence = u"I will call the doctor in the morning and then go to the office."_s;
const QString kFirst = u"Please send the weekly report to the team before lunch."_s;
const QString kSecond = u"The meeting is moved to Friday afternoon."_s;
const QString kOnlyInSecond = u"meeting moved Friday afternoon"_s;

// Everything one task reported, in the order it came.
struct Events
{
    std::mutex mutex;
    std::condition_variable changed;
    QStringList partials;
    std::optional<QString> final;
    QList<RecognizedWord> words; // of the final result
    std::optional<RecognitionError> error;
    bool onCallersThread = false;
    bool cancelReturned = false;
    int afterCancel = 0;
    std::function<void()> onFirstPartial; // runs on the recogniser's thread, outside the lock
    const std::thread::id caller = std::this_thread::get_id();

    bool ended() const { return final || error; }

    bool waitForEnd(std::chrono::milliseconds limit = 15s, bool orPartial = false)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return ended() || (orPartial && !partials.isEmpty()); });
    }
    bool waitForPartial() { return waitForEnd(15s, true); }
    void markCancelled()
    {
        std::lock_guard lock(mutex);
        cancelReturned = true;
    }
};

SpeechRecognizer::Handler record(const std::shared_ptr<Events> &events)
{
    return [events](const std::optional<RecognitionResult> &result,
                    const std::optional<RecognitionError> &error) {
        std::function<void()> hook;
        {
            std::lock_guard lock(events->mutex);
            events->onCallersThread |= std::this_thread::get_id() == events->caller;
            events->afterCancel += events->cancelReturned ? 1 : 0;
            if (result && result->isFinal) {
                events->final = result->text;
                events->words = result->words;
            } else if (result && events->partials.isEmpty())
                hook = events->onFirstPartial;
            if (result && !result->isFinal)
                events->partials << result->text;
            if (error)
                events->error = error;
        }
        events->changed.notify_all();
        if (hook)
            hook();
    };
}

// In buffers of 2048 frames, as a microphone delivers them.
void feed(RecognitionTask &task, const std::vector<float> &samples)
{
    for (std::size_t at = 0; at < samples.size(); at += 2048)
        task.append(std::span(samples).subspan(at, std::min<std::size_t>(2048, samples.size() - at)));
}

// One task over `audio`, waited for until it ends.
std::shared_ptr<Events> recognise(SpeechRecognizer &recognizer, double rate, const std::vector<float> &audio)
{
    auto events = std::make_shared<Events>();
    auto task = recognizer.startTask(rate, record(events));
    feed(*task, audio);
    task->endAudio();
    events->waitForEnd();
    return events;
}

std::vector<float> operator+(std::vector<float> a, const std::vector<float> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A model folder laid out like Debian's, with the acoustic model's files listed in `acoustic`.
void writeModel(const QString &folder, const QStringList &acoustic)
{
    const QString name = QFileInfo(folder).fileName();
    QStringList files{name + u"-phone.lm.bin"_s, name + u".lm.bin"_s, u"cmudict-"_s + name + u".dict"_s};
    for (const QString &file : acoustic)
        files << name + u'/' + file;
    for (const QString &file : files) {
        QDir().mkpath(QFileInfo(folder + u'/' + file).path());
        QFile out(folder + u'/' + file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write("x") == 1);
    }
}

} // namespace

class PocketSphinxRecognizerTest : public QObject
{
    Q_OBJECT

    SpeechRecognizerProvider m_provider = pocketSphinxRecognizerProvider();
    std::shared_ptr<SpeechRecognizer> m_recognizer;

private slots:
    void initTestCase()
    {
        m_recognizer = m_provider(u"en_US"_s);
        QVERIFY(m_recognizer);
        QCOMPARE(m_recognizer->localeIdentifier(), u"en-US"_s);
        QVERIFY(m_recognizer->isAvailable());
        QCOMPARE(m_provider(u"en-US.UTF-8"_s), m_recognizer); // one recogniser per model
        QVERIFY(isSpeechRecognitionAvailable(u"de_DE"_s));    // US English stands in
        QTemporaryDir empty;
        QVERIFY(!isSpeechRecognitionAvailable(u"en_US"_s, empty.path()));
        QVERIFY(!pocketSphinxRecognizerProvider(empty.path())(u"en_US"_s));
    }

    // A pause of 1.5 s ends the task with the words before it, and the audio queued after the
    // pause is kept for the next task; a short pause does not end it. Fed all at once, faster
    // than real time, as a recogniser that lags behind the microphone sees it.
    void endsAtPause_data()
    {
        QTest::addColumn<double>("gap");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("endsAtPause");
        QTest::newRow("1.5 s, 16 kHz") << 1.5 << 16000 << true;
        QTest::newRow("1.5 s, 48 kHz") << 1.5 << 48000 << true;
        QTest::newRow("0.6 s, 16 kHz") << 0.6 << 16000 << false;
    }

    void endsAtPause()
    {
        QFETCH(double, gap);
        QFETCH(int, rate);
        QFETCH(bool, endsAtPause);
        const auto audio = renderSpeech(u"slt"_s, kFirst, rate) + silence(gap, rate, 0.001f) +
                           renderSpeech(u"slt"_s, kSecond, rate) + silence(0.3, rate);
        auto events = std::make_shared<Events>();
        auto task = m_recognizer->startTask(rate, record(events));
        feed(*task, audio);
        if (!endsAtPause)
            task->endAudio();
        QVERIFY(events->waitForEnd());
        QVERIFY2(events->final, qPrintable(events->error ? events->error->description : QString()));
        QVERIFY2(wordOverlap(kFirst, *events->final) >= 0.75, qPrintable(*events->final));
        QVERIFY(!events->partials.isEmpty() && !events->onCallersThread);
        const double second = wordOverlap(kOnlyInSecond, *events->final);
        QVERIFY2(endsAtPause ? second <= 0.25 : second >= 0.5, qPrintable(*events->final));

        const std::vector<float> unheard = task->takeUnheardAudio();
        QCOMPARE(unheard.empty(), !endsAtPause);
        if (endsAtPause) {
            const auto next = recognise(*m_recognizer, rate, unheard);
            QVERIFY(next->final);
            QVERIFY2(wordOverlap(kOnlyInSecond, *next->final) >= 0.5, qPrintable(*next->final));
        }
    }

    void cancelDeliversNothing_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("right after the audio") << u"at once"_s;
        QTest::newRow("while partials arrive") << u"after a partial"_s;
        QTest::newRow("from the handler") << u"in the handler"_s;
    }

    void cancelDeliversNothing()
    {
        QFETCH(QString, when);
        const auto audio = renderSpeech(u"rms"_s, kSentence, 48000);
        auto events = std::make_shared<Events>();
        auto task = m_recognizer->startTask(48000, record(events));
        const auto cancel = [task = task.get(), events = events.get()] {
            task->cancel();
            events->markCancelled();
        };
        if (when == u"in the handler"_s)
            events->onFirstPartial = cancel;
        feed(*task, audio);
        task->endAudio();
        if (when == u"after a partial"_s)
            QVERIFY(events->waitForPartial());
        if (when != u"in the handler"_s)
            cancel();
        QVERIFY(!events->waitForEnd(1500ms)); // the whole clip takes well under that
        QCOMPARE(events->afterCancel, 0);
        QCOMPARE(events->cancelReturned, true);
    }

    // Digital silence longer than a pause ends without words, and so does a task without a sample
    // rate. A fresh decoder that first hears only a quiet room must still recognise the next
    // task's words, and time them from the start of that task's own audio.
    void endsWithoutWords()
    {
        using Kind = RecognitionError::Kind;
        for (const auto &[rate, kind] : {std::pair{48000, Kind::NoSpeech}, std::pair{0, Kind::Failed}}) {
            const auto events = recognise(*m_recognizer, rate, silence(2.5, rate));
            QVERIFY(!events->final && events->partials.isEmpty() && events->error);
            QCOMPARE(events->error->kind, kind);
        }
        PocketSphinxRecognizer fresh(*findSpeechModel(u"en_US"_s));
        QVERIFY(recognise(fresh, 16000, silence(3, 16000, 0.001f))->error);
        const auto events =
            recognise(fresh, 16000, renderSpeech(u"slt"_s, kFirst, 16000) + silence(0.3, 16000));
        QVERIFY(events->final);
        QVERIFY2(wordOverlap(kFirst, *events->final) >= 0.75, qPrintable(*events->final));
        QVERIFY(!events->words.isEmpty());
        QVERIFY2(events->words.first().start < 1.0, qPrintable(QString::number(events->words.first().start)));
    }

    // Later utterances start while the first is still open and finish first; there are more of
    // them than decoders may be loaded at once, so some wait for a decoder with their audio kept.
    void overlappingTasksAllFinish()
    {
        const auto first = renderSpeech(u"slt"_s, kFirst, 48000);
        const auto later = renderSpeech(u"awb"_s, kSecond, 48000) + silence(0.3, 48000);
        const std::size_t half = first.size() / 2;
        auto firstEvents = std::make_shared<Events>();
        auto firstTask = m_recognizer->startTask(48000, record(firstEvents));
        firstTask->append(std::span(first).first(half));
        QVERIFY(firstEvents->waitForPartial());

        std::vector<std::shared_ptr<Events>> laterEvents;
        std::vector<std::unique_ptr<RecognitionTask>> laterTasks;
        for (int i = 0; i < 3; ++i) {
            laterEvents.push_back(std::make_shared<Events>());
            laterTasks.push_back(m_recognizer->startTask(48000, record(laterEvents.back())));
            feed(*laterTasks.back(), later);
            laterTasks.back()->endAudio();
        }
        for (const auto &events : laterEvents) {
            QVERIFY(events->waitForEnd(60s));
            QVERIFY(events->final);
            QVERIFY2(wordOverlap(kSecond, *events->final) >= 0.75, qPrintable(*events->final));
        }
        QVERIFY(!firstEvents->ended());

        feed(*firstTask, std::vector<float>(first.begin() + std::ptrdiff_t(half), first.end()));
        firstTask->endAudio();
        QVERIFY(firstEvents->waitForEnd());
        QVERIFY(firstEvents->final);
        QVERIFY2(wordOverlap(kFirst, *firstEvents->final) >= 0.75, qPrintable(*firstEvents->final));
    }

    void findsModels_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("identifier"); // empty: none
        QTest::newRow("POSIX name") << u"xx_YY"_s << u"xx-YY"_s;
        QTest::newRow("with encoding") << u"xx_YY.UTF-8"_s << u"xx-YY"_s;
        QTest::newRow("with modifier") << u"xx_YY@euro"_s << u"xx-YY"_s;
        QTest::newRow("BCP 47") << u"XX-yy"_s << u"xx-YY"_s;
        QTest::newRow("other region") << u"xx_ZZ"_s << QString();
        QTest::newRow("language folder") << u"zz_QQ"_s << u"zz"_s;
        QTest::newRow("not a locale") << u"../xx-yy"_s << QString();
        QTest::newRow("incomplete acoustic model") << u"ww_WW"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }

    void findsModels()
    {
        QFETCH(QString, locale);
        QTemporaryDir root;
        const QStringList acoustic{u"mdef"_s, u"means"_s, u"variances"_s, u"transition_matrices"_s};
        writeModel(root.filePath(u"xx-yy"_s), acoustic + QStringList{u"sendump"_s});
        writeModel(root.filePath(u"zz"_s), acoustic + QStringList{u"mixture_weights"_s});
        writeModel(root.filePath(u"ww-ww"_s), acoustic); // the decoder would end the process
        const auto model = findSpeechModel(locale, root.path());
        QTEST(model ? model->localeIdentifier : QString(), "identifier");
        if (model)
            QVERIFY(!model->languageModel.contains(u"phone"_s));
    }
};

DICTRAVA_TEST(PocketSphinxRecognizerTest)
#include "PocketSphinxRecognizerTest.moc"
