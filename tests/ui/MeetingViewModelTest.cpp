#include "ui/MeetingViewModel.h"

#include "TestRegistry.h"
#include "core/Clock.h"
#include "meeting/MeetingSession.h"
#include "support/FakeAudioInput.h"
#include "support/ScriptedRecognizer.h"
#include "ui/MeetingTranscriptModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Rig
{
    ManualClock clock{QDateTime(QDate(2026, 12, 6), QTime(15, 4, 5))};
    std::shared_ptr<ScriptedRecognizer> recognizer = std::make_shared<ScriptedRecognizer>();
    FakeAudioInput *input = nullptr;
    std::unique_ptr<MeetingSession> session;
    std::unique_ptr<MeetingViewModel> model;

    Rig()
    {
        auto fake = std::make_unique<FakeAudioInput>();
        input = fake.get();
        session = std::make_unique<MeetingSession>(
            std::move(fake), ScriptedRecognizer::providerFor(recognizer, {u"en_US"_s}), clock);
        model = std::make_unique<MeetingViewModel>(*session);
    }

    // One utterance, recognised as `text`; waits for its segment.
    bool say(const QString &text)
    {
        const int task = recognizer->taskCount();
        const qsizetype segments = session->segments().size();
        input->pushConstant(0.1f, 8);
        input->pushConstant(0, 28);
        if (!recognizer->waitForTasks(task + 1) ||
            !QTest::qWaitFor([&] { return recognizer->task(task)->endAudioCalls() == 1; }))
            return false;
        recognizer->task(task)->finalResult(text);
        return QTest::qWaitFor([&] { return session->segments().size() > segments; });
    }

    // What the window shows, one line per part.
    QStringList shown() const
    {
        const MeetingViewModel &m = *model;
        return {
            u"header: "_s +
                (m.isRunning()
                     ? m.elapsedText() + u", "_s + m.wordCountText() + u", "_s + m.pauseButtonText() + u", "_s
                     : QString()) +
                m.primaryButtonText(),
            u"chips: "_s + m.speakerNames().join(u", "_s),
            u"map voice: "_s + (m.canMapVoice() ? u"enabled"_s : u"disabled"_s) +
                (m.showsCancel() ? u", Cancel"_s : QString()),
            u"hint: "_s + m.hintText(),
            u"transcript: "_s + (m.showsEmptyState()
                                     ? u"No transcript yet"_s
                                     : QString::number(m.transcript()->rowCount()) + u" rows"_s),
            u"footer: "_s + m.footerText() + (m.canCopyNotes() ? u", copy enabled"_s : u", copy disabled"_s)};
    }
};

const QString kTip =
    u"Tip: type a name, click Map voice, then have that person speak. Or say “Hi, my name is …” live."_s;

} // namespace

class MeetingViewModelTest : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("fresh window")
            << QStringList{} << QStringList{u"header: Start meeting"_s,         u"chips: "_s,
                                            u"map voice: disabled"_s,           u"hint: "_s + kTip,
                                            u"transcript: No transcript yet"_s, u"footer: , copy disabled"_s};
        QTest::newRow("one action item, paused")
            << QStringList{u"start"_s, u"say:We will ship it"_s, u"say:hello there"_s, u"pause"_s}
            << QStringList{u"header: 0:00, 6 words, Resume, End meeting"_s,
                           u"chips: Speaker 1"_s,
                           u"map voice: disabled"_s,
                           u"hint: Paused — press Resume when ready"_s,
                           u"transcript: 2 rows"_s,
                           u"footer: 1 action item detected, copy enabled"_s};
        QTest::newRow("two action items, stopped")
            << QStringList{u"start"_s, u"say:We will ship it"_s, u"say:I'll send it"_s, u"stop"_s}
            << QStringList{u"header: Start meeting"_s, u"chips: Speaker 1"_s,
                           u"map voice: disabled"_s,   u"hint: "_s + kTip,
                           u"transcript: 2 rows"_s,    u"footer: 2 action items detected, copy enabled"_s};
        QTest::newRow("check-in pending")
            << QStringList{u"type:Maya"_s, u"map"_s}
            << QStringList{u"header: 0:00, 0 words, Pause, End meeting"_s,
                           u"chips: "_s,
                           u"map voice: disabled, Cancel"_s,
                           u"hint: Listening for Maya — have them speak for a couple seconds"_s,
                           u"transcript: 0 rows"_s,
                           u"footer: , copy disabled"_s};
        QStringList fiveVoices;
        for (const QString &name : {u"Ann"_s, u"Bo"_s, u"Cy"_s, u"Di"_s, u"Ed"_s})
            fiveVoices << u"type:"_s + name << u"map"_s << u"say:present"_s;
        QTest::newRow("five voices: no more check-ins")
            << (fiveVoices + QStringList{u"type:Flo"_s})
            << QStringList{u"header: 0:00, 5 words, Pause, End meeting"_s,
                           u"chips: Ann, Bo, Cy, Di, Ed"_s,
                           u"map voice: disabled"_s,
                           u"hint: Mapped voice → Ed"_s,
                           u"transcript: 5 rows"_s,
                           u"footer: , copy enabled"_s};
    }

    void texts()
    {
        QFETCH(QStringList, steps);
        Rig rig;
        for (const QString &step : steps) {
            if (step == u"start"_s || step == u"stop"_s)
                rig.model->toggleRunning();
            else if (step == u"pause"_s)
                rig.model->togglePause();
            else if (step == u"map"_s)
                rig.model->mapVoice();
            else if (step.startsWith(u"type:"_s))
                rig.model->setEnrollName(step.mid(5));
            else if (step.startsWith(u"say:"_s))
                QVERIFY(rig.say(step.mid(4)));
        }
        QTEST(rig.shown(), "shown");
    }

    // Typed rename texts stay; saving twice renames twice; every segment of the voice follows.
    void renames()
    {
        Rig rig;
        rig.model->toggleRunning();
        QVERIFY(rig.say(u"hello"_s));
        QVERIFY(rig.say(u"again"_s));
        QCOMPARE(rig.model->renameText(0), u"Speaker 1"_s);
        rig.model->setRenameDraft(0, u"Maya"_s);
        rig.model->saveRename(0);
        rig.session->renameSpeaker(0, u"Someone"_s);
        rig.model->saveRename(0);
        QCOMPARE(rig.model->renameText(0), u"Maya"_s);
        const MeetingTranscriptModel &rows = *rig.model->transcript();
        for (int row = 0; row < rows.rowCount(); ++row)
            QCOMPARE(rows.data(rows.index(row), MeetingTranscriptModel::SpeakerLabelRole).toString(),
                     u"Maya"_s);
        QCOMPARE(rows.data(rows.index(1), MeetingTranscriptModel::InitialRole).toString(), u"M"_s);
    }
};

DICTRAVA_TEST(MeetingViewModelTest)
#include "MeetingViewModelTest.moc"
