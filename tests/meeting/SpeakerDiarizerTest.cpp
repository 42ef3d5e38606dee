#include "meeting/SpeakerDiarizer.h"
#include "TestRegistry.h"

#include <QTest>

#include <limits>

namespace {

// `frames` frames of unit variance around `mean` in the first coefficient (0 in the others).
VoiceStatistics voice(double mean, double frames = 100)
{
    VoiceStatistics statistics;
    statistics.frames = frames;
    statistics.sum[0] = frames * mean;
    for (double &squares : statistics.sumOfSquares)
        squares = frames;
    statistics.sumOfSquares[0] += frames * mean * mean;
    return statistics;
}

// Unnamed voices far apart: means 0, 20, 40, …
SpeakerDiarizer roster(int count)
{
    SpeakerDiarizer diarizer;
    for (int i = 0; i < count; ++i)
        diarizer.assign(voice(20.0 * i));
    return diarizer;
}

} // namespace

class SpeakerDiarizerTest : public QObject
{
    Q_OBJECT

private slots:
    void distance()
    {
        // A short stretch of a voice stays near the voice's long record.
        QVERIFY(VoiceStatistics::distance(voice(0, 3000), voice(1, 30)) < 0.2);
        QCOMPARE(VoiceStatistics::distance(VoiceStatistics{}, VoiceStatistics{}), 0.0);
    }

    void assign_data()
    {
        QTest::addColumn<int>("voices");
        QTest::addColumn<double>("mean");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rosterSize");
        QTest::addColumn<int>("utterances"); // of the voice returned
        const double notANumber = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("empty roster: voice 0") << 0 << 77.0 << 0 << 1 << 1;
        QTest::newRow("near joins") << 4 << 47.5 << 2 << 4 << 2;
        QTest::newRow("farther opens a fifth") << 4 << 48.5 << 4 << 5 << 1;
        QTest::newRow("full roster: far joins nearest") << 5 << 500.0 << 4 << 5 << 2;
        QTest::newRow("full roster: nearest wins") << 5 << 38.0 << 2 << 5 << 2;
        QTest::newRow("tie goes to the earlier") << 5 << 30.0 << 1 << 5 << 2;
        QTest::newRow("NaN refused") << 4 << notANumber << 0 << 4 << 1;
        QTest::newRow("NaN refused, empty roster") << 0 << notANumber << 0 << 0 << 0;
    }

    void assign()
    {
        QFETCH(int, voices);
        QFETCH(double, mean);
        QFETCH(int, index);
        QFETCH(int, rosterSize);
        SpeakerDiarizer diarizer = roster(voices);
        QCOMPARE(diarizer.assign(voice(mean)), index);
        QCOMPARE(diarizer.speakers().size(), rosterSize);
        if (rosterSize > 0)
            QTEST(diarizer.speakers().at(index).utteranceCount, "utterances");
        for (const auto &speaker : diarizer.speakers())
            QVERIFY(speaker.statistics.isFinite());
    }

    void enrollAndLabels()
    {
        SpeakerDiarizer diarizer = roster(3);
        QCOMPARE(diarizer.enroll(QStringLiteral("Maya"), voice(0)), 3);  // unnamed voice 0 is not matched
        QCOMPARE(diarizer.enroll(QStringLiteral("MAYA"), voice(90)), 3); // joins, keeps its spelling
        QCOMPARE(diarizer.speakers().at(3).utteranceCount, 2);
        diarizer.setName(QStringLiteral("élodie"), 1);
        diarizer.setName(QStringLiteral("Lee"), 7);
        diarizer.setName(QStringLiteral("Lee"), -1);
        QCOMPARE(diarizer.enroll(QStringLiteral("ÉLODIE"), voice(200)), 1);
        QCOMPARE(diarizer.enroll(QStringLiteral("Kai"), voice(300)), 4);
        QCOMPARE(diarizer.enroll(QStringLiteral("Zed"), voice(41)), 2); // full: the nearest is renamed
        QCOMPARE(diarizer.enroll(QString(), voice(300)), 4);            // no name: a plain assign
        const double notANumber = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(diarizer.enroll(QStringLiteral("Ben"), voice(notANumber)), 0); // refused
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
