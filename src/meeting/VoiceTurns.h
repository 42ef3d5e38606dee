#pragma once

#include "meeting/VoiceStatistics.h"
#include "platform/SpeechRecognizer.h"

#include <QList>
#include <QString>

#include <optional>

// A stretch of one utterance between short pauses, in seconds from the utterance's start. A
// change of speaker almost always falls into such a pause, even when the next speaker follows
// too soon for the recogniser to end the utterance.
struct VoiceStretch
{
    double start = 0;
    double end = 0;
    std::optional<VoiceStatistics> statistics; // none when too short to tell
};

// The part of an utterance one voice spoke.
struct VoiceTurn
{
    int speakerIndex = 0;
    QString text;
    double start = 0;
    double end = 0;
    friend bool operator==(const VoiceTurn &, const VoiceTurn &) = default;
};

// Splits an utterance into turns: consecutive stretches of the same voice form one turn, and
// the recognised words go to the turn they were spoken in, cut at the gap between words nearest
// each change of voice. `voices` holds the voice of each stretch, -1 for a stretch that could
// not be told (it goes with its neighbours). Without word times the whole text goes to the voice
// that spoke longest. Turns left without words are dropped.
QList<VoiceTurn> splitIntoTurns(const QList<VoiceStretch> &stretches, QList<int> voices, const QString &text,
                                const QList<RecognizedWord> &words);
