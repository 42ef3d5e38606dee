#include "meeting/VoiceTurns.h"

#include <algorithm>
#include <cmath>

namespace {

// Stretches that could not be told take the voice before them, or else the one after.
void fillUnknownVoices(QList<int> &voices)
{
    int known = -1;
    for (int &voice : voices) {
        if (voice < 0)
            voice = known;
        else
            known = voice;
    }
    known = 0;
    for (auto voice = voices.rbegin(); voice != voices.rend(); ++voice) {
        if (*voice < 0)
            *voice = known;
        else
            known = *voice;
    }
}

// Where the words before index `split` end and the rest begin.
double splitTime(const QList<RecognizedWord> &words, qsizetype split)
{
    if (split == 0)
        return words.first().start;
    if (split == words.size())
        return words.last().end;
    return (words[split - 1].end + words[split].start) / 2;
}

QString joined(const QList<RecognizedWord> &words, qsizetype from, qsizetype to)
{
    QStringList texts;
    for (qsizetype i = from; i < to; ++i)
        texts.append(words[i].text);
    return texts.join(u' ');
}

} // namespace

QList<VoiceTurn> splitIntoTurns(const QList<VoiceStretch> &stretches, QList<int> voices, const QString &text,
                                const QList<RecognizedWord> &words)
{
    if (stretches.isEmpty() || voices.size() != stretches.size())
        return {VoiceTurn{0, text, 0, 0}};
    fillUnknownVoices(voices);

    QList<VoiceTurn> turns;
    for (qsizetype i = 0; i < stretches.size(); ++i) {
        if (!turns.isEmpty() && turns.last().speakerIndex == voices[i])
            turns.last().end = stretches[i].end;
        else
            turns.append({voices[i], {}, stretches[i].start, stretches[i].end});
    }

    if (turns.size() == 1 || words.isEmpty()) {
        const auto longest = std::max_element(turns.begin(), turns.end(), [](const auto &a, const auto &b) {
            return a.end - a.start < b.end - b.start;
        });
        return {VoiceTurn{longest->speakerIndex, text, turns.first().start, turns.last().end}};
    }

    // Each change of voice takes the word gap nearest the middle of the pause between the turns;
    // the cuts never go backwards.
    QList<VoiceTurn> spoken;
    qsizetype from = 0;
    for (qsizetype t = 0; t < turns.size(); ++t) {
        qsizetype to = words.size();
        if (t + 1 < turns.size()) {
            const double change = (turns[t].end + turns[t + 1].start) / 2;
            to = from;
            for (qsizetype split = from + 1; split <= words.size(); ++split) {
                if (std::abs(splitTime(words, split) - change) < std::abs(splitTime(words, to) - change))
                    to = split;
            }
        }
        if (to > from && !spoken.isEmpty() && spoken.last().speakerIndex == turns[t].speakerIndex) {
            // The turn between them got no words.
            spoken.last().text += u' ' + joined(words, from, to);
            spoken.last().end = turns[t].end;
        } else if (to > from) {
            VoiceTurn turn = turns[t];
            turn.text = joined(words, from, to);
            spoken.append(turn);
        }
        from = to;
    }
    return spoken;
}
