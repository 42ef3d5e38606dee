#include "meeting/VoiceTurns.h"
#include "TestRegistry.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Stretches = QList<VoiceStretch>;
using Words = QList<RecognizedWord>;
Q_DECLARE_METATYPE(Stretches)
Q_DECLARE_METATYPE(Words)

namespace {

// Stretches from (start, end) pairs; their statistics do not matter here.
Stretches stretches(std::initializer_list<std::pair<double, double>> times)
{
    Stretches result;
    for (const auto &[start, end] : times)
        result.append({start, end, VoiceStatistics{}});
    return result;
}

// Words a second long, from (text, start) pairs.
Words words(std::initializer_list<std::pair<const char *, double>> spoken)
{
    Words result;
    for (const auto &[text, start] : spoken)
        result.append({QString::fromLatin1(text), start, start + 0.9});
    return result;
}

// "voice:text" per turn.
QStringList described(const QList<VoiceTurn> &turns)
{
    QStringList result;
    for (const VoiceTurn &turn : turns)
        result.append(QStringLiteral("%1:%2 %3-%4")
                          .arg(turn.speakerIndex)
                          .arg(turn.text)
                          .arg(turn.start)
                          .arg(turn.end));
    return result;
}

} // namespace

class VoiceTurnsTest : public QObject
{
    Q_OBJECT

private slots:
    void split_data()
    {
        QTest::addColumn<Stretches>("stretches");
        QTest::addColumn<QList<int>>("voices");
        QTest::addColumn<Words>("words");
        QTest::addColumn<QStringList>("turns");
        const Words fourWords = words({{"yes", 0}, {"it", 1}, {"works", 2}, {"great", 3.6}});
        QTest::newRow("one voice") << stretches({{0, 2}, {2.6, 4.5}}) << QList<int>{1, 1} << fourWords
                                   << QStringList{u"1:text 0-4.5"_s};
        QTest::newRow("change at the nearest word gap")
            << stretches({{0, 3}, {3.5, 4.5}}) << QList<int>{0, 2} << fourWords
            << QStringList{u"0:yes it works 0-3"_s, u"2:great 3.5-4.5"_s};
        QTest::newRow("untold stretch goes with the one before")
            << stretches({{0, 1.9}, {2, 2.9}, {3.5, 4.5}}) << QList<int>{0, -1, 2} << fourWords
            << QStringList{u"0:yes it works 0-2.9"_s, u"2:great 3.5-4.5"_s};
        QTest::newRow("nothing told: voice 0")
            << stretches({{0, 4.5}}) << QList<int>{-1} << fourWords << QStringList{u"0:text 0-4.5"_s};
        QTest::newRow("no word times: the longest voice")
            << stretches({{0, 1}, {1.5, 4.5}}) << QList<int>{0, 3} << Words{}
            << QStringList{u"3:text 0-4.5"_s};
        QTest::newRow("a turn without words joins its neighbours")
            << stretches({{0, 2.9}, {2.95, 3.0}, {3.5, 4.5}}) << QList<int>{1, 0, 1} << fourWords
            << QStringList{u"1:yes it works great 0-4.5"_s};
    }

    void split()
    {
        QFETCH(Stretches, stretches);
        QFETCH(QList<int>, voices);
        QFETCH(Words, words);
        QTEST(described(splitIntoTurns(stretches, voices, u"text"_s, words)), "turns");
    }
};

DICTRAVA_TEST(VoiceTurnsTest)
#include "VoiceTurnsTest.moc"
