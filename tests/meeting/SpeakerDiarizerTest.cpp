#include "meeting/SpeakerDiarizer.h"
#include "TestRegistry.h"

#include <QTest>

#include <limits>
#include <utility>

namespace {

// `frames` frames spread with `variance` in every coefficient, around `mean` in one of them (0 in
// the others).
VoiceStatistics voice(int dimension, double mean, double frames = 100, double variance = 1)
{
    VoiceStatistics statistics;
    statistics.frames = frames;
    statistics.sum[dimension] = frames * mean;
    for (double &squares : statistics.sumOfSquares)
        squares = frames * variance;
    statistics.sumOfSquares[dimension] += frames * mean * mean;
    return statistics;
}

// Voices 1 and 2 lie on either side of the middle in the same coefficient, so that a stretch in
// the middle is exactly as near to both.
VoiceStatistics rosterVoice(int index)
{
    static const std::pair<int, double> places[] = {{0, 6}, {1, 6}, {1, -6}, {2, 6}, {3, 6}};
    return voice(places[index].first, places[index].second);
}

SpeakerDiarizer roster(int count)
{
    SpeakerDiarizer diarizer;
    for (int i = 0; i < count; ++i)
        diarizer.assign(rosterVoice(i));
    return diarizer;
}

} // namespace

class SpeakerDiarizerTest : public QObject
{
    Q_OBJECT

private slots:
    void assign_data()
    {
        QTest::addColumn<int>("voices");
        QTest::addColumn<VoiceStatistics>("statistics");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rosterSize");
        QTest::addColumn<int>("utterances"); // of the voice returned
        const double notANumber = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("empty roster: voice 0") << 0 << voice(4, 77) << 0 << 1 << 1;
        QTest::newRow("near joins") << 4 << voice(2, 5.5) << 3 << 4 << 2;
        QTest::newRow("farther opens a fifth") << 4 << rosterVoice(4) << 4 << 5 << 1;
        // Measured alone, its narrow spread would make it a stranger.
        QTest::newRow("a short, narrow stretch of a voice joins it")
            << 4 << voice(2, 6, 50, 0.2) << 3 << 4 << 2;
        QTest::newRow("full roster: far joins nearest") << 5 << voice(3, 60) << 4 << 5 << 2;
        QTest::newRow("full roster: nearest wins") << 5 << voice(2, 5) << 3 << 5 << 2;
        QTest::newRow("tie goes to the earlier") << 5 << voice(1, 0) << 1 << 5 << 2;
        QTest::newRow("NaN refused") << 4 << voice(0, notANumber) << 0 << 4 << 1;
        QTest::newRow("NaN refused, empty roster") << 0 << voice(0, notANumber) << 0 << 0 << 0;
    }

    void assign()
    {
        QFETCH(int, voices);
        QFETCH(VoiceStatistics, statistics);
        QFETCH(int, index);
        QFETCH(int, rosterSize);
        SpeakerDiarizer diarizer = roster(voices);
        QCOMPARE(diarizer.assign(statistics), index);
        QCOMPARE(diarizer.speakers().size(), rosterSize);
        if (rosterSize > 0)
            QTEST(diarizer.speakers().at(index).utteranceCount, "utterances");
        for (const auto &speaker : diarizer.speakers())
            QVERIFY(speaker.statistics.isFinite());
    }

    void enrollAndLabels()
    {
        SpeakerDiarizer diarizer = roster(3);
        QCOMPARE(diarizer.enroll(QStringLiteral("Maya"), rosterVoice(0)),
                 3);                                                       // unnamed voice 0 is not matched
        QCOMPARE(diarizer.enroll(QStringLiteral("MAYA"), voice(5, 9)), 3); // joins, keeps its spelling
        QCOMPARE(diarizer.speakers().at(3).utteranceCount, 2);
        diarizer.setName(QStringLiteral("élodie"), 1);
        diarizer.setName(QStringLiteral("Lee"), 7);
        diarizer.setName(QStringLiteral("Lee"), -1);
        QCOMPARE(diarizer.enroll(QStringLiteral("ÉLODIE"), voice(6, 20)), 1);
        QCOMPARE(diarizer.enroll(QStringLiteral("Kai"), voice(7, 30)), 4);
        QCOMPARE(diarizer.enroll(QStringLiteral("Zed"), voice(1, -5.5)), 2); // full: the nearest is renamed
        QCOMPARE(diarizer.enroll(QString(), voice(7, 30)), 4);               // no name: a plain assign
        const double notANumber = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(diarizer.enroll(QStringLiteral("Ben"), voice(0, notANumber)), 0); // refused
        QCOMPARE(diarizer.speakers().size(), 5);
        QStringList labels;
        for (const int index : {0, 1, 2, 3, 4, 5, 7, -1})
            labels << diarizer.label(index);
        QCOMPARE(labels.join(u','),
                 QStringLiteral("Speaker 1,élodie,Zed,Maya,Kai,Speaker ?,Speaker ?,Speaker ?"));
        diarizer.setName(QString(), 3);
        QCOMPARE(diarizer.label(3), QStringLiteral("Speaker 4"));
        diarizer.clearRoster();
        QCOMPARE(diarizer.label(0), QStringLiteral("Speaker ?"));
    }
};

DICTRAVA_TEST(SpeakerDiarizerTest)
#include "SpeakerDiarizerTest.moc"
