#include "meeting/SpeakerDiarizer.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(VoiceVector)

namespace {

// A voice whose envelope lies in one band (other bands' voices are at cosine distance 1), with
// an optional second band at equal weight: then it is equally near both bands' voices.
VoiceVector voice(int band, float pitch = 0, int alsoBand = -1)
{
    VoiceVector vector{};
    vector[std::size_t(band)] = 1;
    if (alsoBand >= 0)
        vector[std::size_t(alsoBand)] = 1;
    vector[voicePitchIndex] = pitch;
    return vector;
}

// Unnamed voices in bands 0 … count-1.
SpeakerDiarizer roster(int count)
{
    SpeakerDiarizer diarizer;
    for (int i = 0; i < count; ++i)
        diarizer.assign(voice(i));
    return diarizer;
}

} // namespace

class SpeakerDiarizerTest : public QObject
{
    Q_OBJECT

private slots:
    void distance()
    {
        QCOMPARE(SpeakerDiarizer::distance(voice(3, 0.4f), voice(3, 0.4f)), 0.0f);
        QCOMPARE(SpeakerDiarizer::distance(voice(3, 0.25f), voice(3, 0.5f)), 0.125f); // 100 Hz apart
        QCOMPARE(SpeakerDiarizer::distance(voice(1, 0.5f), VoiceVector{}), 1.25f);    // silent: no NaN
    }

    void assign_data()
    {
        QTest::addColumn<int>("voices");
        QTest::addColumn<VoiceVector>("vector");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rosterSize");
        QTest::addColumn<int>("utterances"); // of the voice returned
        const float notANumber = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("empty roster: voice 0") << 0 << voice(7) << 0 << 1 << 1;
        QTest::newRow("same voice joins") << 4 << voice(2) << 2 << 4 << 2;
        QTest::newRow("at the threshold joins") << 4 << voice(2, 0.3f) << 2 << 4 << 2; // 0.5 x 0.3
        QTest::newRow("just above opens a fifth") << 4 << voice(2, 0.3002f) << 4 << 5 << 1;
        QTest::newRow("full roster: far joins nearest") << 5 << voice(9, 2.0f) << 0 << 5 << 2;
        QTest::newRow("full roster: nearest wins") << 5 << voice(3, 1.0f) << 3 << 5 << 2;
        QTest::newRow("tie goes to the earlier") << 5 << voice(3, 0, 1) << 1 << 5 << 2;
        QTest::newRow("NaN refused") << 4 << voice(2, notANumber) << 0 << 4 << 1;
        QTest::newRow("NaN refused, empty roster") << 0 << voice(2, notANumber) << 0 << 0 << 0;
    }

    void assign()
    {
        QFETCH(int, voices);
        QFETCH(VoiceVector, vector);
        QFETCH(int, index);
        QFETCH(int, rosterSize);
        SpeakerDiarizer diarizer = roster(voices);
        QCOMPARE(diarizer.assign(vector), index);
        QCOMPARE(diarizer.speakers().size(), rosterSize);
        if (rosterSize > 0)
            QTEST(diarizer.speakers().at(index).utteranceCount, "utterances");
        for (const auto &speaker : diarizer.speakers())
            QVERIFY(std::all_of(speaker.centroid.begin(), speaker.centroid.end(),
                                [](float v) { return std::isfinite(v); }));
    }

    // A running mean that, after 20 utterances, keeps weighing each new one 1/21.
    void centroidWeight()
    {
        for (const int utterances : {1, 35}) {
            SpeakerDiarizer diarizer = roster(1);
            for (int i = 1; i < utterances; ++i)
                diarizer.assign(voice(0));
            QCOMPARE(diarizer.assign(voice(0, 0.21f)), 0);
            const float pitch = 0.21f / float(std::min(utterances, 20) + 1);
            QCOMPARE(diarizer.speakers().at(0).centroid[voicePitchIndex], pitch);
            QCOMPARE(diarizer.speakers().at(0).utteranceCount, utterances + 1);
        }
    }

    void enrollAndLabels()
    {
        SpeakerDiarizer diarizer = roster(3);
        QCOMPARE(diarizer.enroll(QStringLiteral("Maya"), voice(0)), 3); // unnamed voice 0 is not matched
        QCOMPARE(diarizer.enroll(QStringLiteral("MAYA"), voice(9)), 3); // joins, keeps its spelling
        QCOMPARE(diarizer.speakers().at(3).utteranceCount, 2);
        diarizer.setName(QStringLiteral("élodie"), 1);
        diarizer.setName(QStringLiteral("Lee"), 7);
        diarizer.setName(QStringLiteral("Lee"), -1);
        QCOMPARE(diarizer.enroll(QStringLiteral("ÉLODIE"), voice(9)), 1);
        QCOMPARE(diarizer.enroll(QStringLiteral("Kai"), voice(8)), 4);
        QCOMPARE(diarizer.enroll(QStringLiteral("Zed"), voice(2, 0.5f)), 2); // full: the nearest is renamed
        QCOMPARE(diarizer.enroll(QString(), voice(8)), 4);                   // no name: a plain assign
        const float notANumber = std::numeric_limits<float>::quiet_NaN();
        QCOMPARE(diarizer.enroll(QStringLiteral("Ben"), voice(3, notANumber)), 0); // refused
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

QTEST_GUILESS_MAIN(SpeakerDiarizerTest)
#include "SpeakerDiarizerTest.moc"
