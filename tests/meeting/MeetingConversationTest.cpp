#include "core/Clock.h"
#include "meeting/MeetingSession.h"

#include "TestRegistry.h"
#include "platform/PocketSphinxRecognizer.h"
#include "platform/WavFileInput.h"
#include "support/RenderedSpeech.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

QStringList words(const QString &text)
{
    return text.toLower().remove(QRegularExpression(u"[^a-z' ]"_s)).split(u' ', Qt::SkipEmptyParts);
}

// How many of the line's words the recognised text has.
int commonWords(const QString &line, const QString &heard)
{
    const QStringList heardWords = words(heard);
    const QStringList lineWords = words(line);
    return int(std::count_if(lineWords.begin(), lineWords.end(),
                             [&heardWords](const QString &word) { return heardWords.contains(word); }));
}

// The most segments attributed right under any one-to-one mapping of roster indices to voices.
int bestAgreement(const QList<int> &truth, const QList<int> &attributed, int voices, int rosterSize)
{
    QList<int> mapping(std::max(voices, rosterSize));
    std::iota(mapping.begin(), mapping.end(), 0);
    int best = 0;
    do {
        int agree = 0;
        for (qsizetype i = 0; i < truth.size(); ++i)
            agree += mapping[attributed[i]] == truth[i] ? 1 : 0;
        best = std::max(best, agree);
    } while (std::next_permutation(mapping.begin(), mapping.end()));
    return best;
}

} // namespace

class MeetingConversationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"flite"_s).isEmpty() ||
            QStandardPaths::findExecutable(u"sox"_s).isEmpty())
            QSKIP("flite and sox render the conversation (scripts/setup.sh installs them)");
        if (!findSpeechModel(u"en_US"_s))
            QSKIP("the pocketsphinx-en-us model is not installed");
    }

    void transcribesAndAttributesAConversation()
    {
        // A woman and two men: slt raised to a typical female pitch, rms and awb as they are.
        const QList<SpokenLine> voices{{u"slt"_s, {u"--setf"_s, u"int_f0_target_mean=230"_s}, {}},
                                       {u"rms"_s, {}, {}},
                                       {u"awb"_s, {}, {}}};
        const QList<QPair<int, QString>> lines{
            {0, u"Good morning everyone, my name is Sarah."_s},
            {1, u"Thanks Sarah. Let us look at the budget for next quarter."_s},
            {2, u"The numbers from last month are looking very good."_s},
            {1, u"We need to hire two more engineers this year."_s},
            {0, u"I will send the final report to the team by Friday."_s},
            {2, u"Sounds good."_s},
            {1, u"I agree, and I can help with the interviews."_s},
        };
        QList<SpokenLine> script;
        QList<int> speakers;
        for (const auto &[voice, text] : lines) {
            script.append({voices[voice].voice, voices[voice].options, text});
            speakers.append(voice);
        }
        QTemporaryDir folder;
        const QString recording = folder.filePath(u"conversation.wav"_s);
        QVERIFY(renderConversation(script, folder.path(), 48000, recording));

        ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
        MeetingSession session(std::make_unique<WavFileInput>(recording, WavFileInput::Pacing::RealTime),
                               pocketSphinxRecognizerProvider(), clock);
        QSignalSpy finished(&session, &MeetingSession::finishedProcessing);
        session.start();
        QVERIFY2(session.isRunning(), qPrintable(session.errorMessage()));
        QVERIFY(finished.wait(60'000));

        // Each segment belongs to the line it shares most words with; every line makes one.
        const QList<MeetingSegment> segments = session.segments();
        QList<int> truth;
        QList<int> attributed;
        QList<int> linesHeard;
        for (const MeetingSegment &segment : segments) {
            qsizetype line = 0;
            for (qsizetype i = 1; i < script.size(); ++i) {
                if (commonWords(script[i].text, segment.text) > commonWords(script[line].text, segment.text))
                    line = i;
            }
            linesHeard << int(line);
            truth << speakers[line];
            attributed << segment.speakerIndex;
        }
        // Offsets in the recording: in order, and the 2 s pauses between the lines show.
        for (qsizetype i = 0; i < segments.size(); ++i) {
            QVERIFY(segments[i].start < segments[i].end);
            if (i > 0)
                QVERIFY(segments[i].start - segments[i - 1].end > 1.5);
        }
        QVERIFY(segments.first().start > 1.8 && segments.first().start < 2.5);
        std::sort(linesHeard.begin(), linesHeard.end());
        QList<int> everyLine(script.size());
        std::iota(everyLine.begin(), everyLine.end(), 0);
        QCOMPARE(linesHeard, everyLine);

        QCOMPARE(session.speakerNames().size(), voices.size());
        QCOMPARE(bestAgreement(truth, attributed, int(voices.size()), int(session.speakerNames().size())),
                 int(segments.size()));

        // Sarah introduced herself: her voice, and all of its segments, carry the name.
        QVERIFY2(session.speakerNames().contains(u"Sarah"_s),
                 qPrintable(session.speakerNames().join(u", "_s)));
        for (qsizetype i = 0; i < segments.size(); ++i) {
            if (truth[i] == 0)
                QCOMPARE(segments[i].speakerLabel, u"Sarah"_s);
        }

        // "I will send …" and "We need to …" are action items (their layout: MeetingSessionTest).
        QVERIFY(!session.actionItems().isEmpty());
    }
};

DICTRAVA_TEST(MeetingConversationTest)
#include "MeetingConversationTest.moc"
