#pragma once

#include "meeting/SpeakerDiarizer.h"
#include "meeting/VoiceTurns.h"

#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// The meeting's voice roster, used from the processing queue and from the main thread alike.
// Every call holds one lock, so no two roster operations ever overlap.
class SpeakerRoster
{
public:
    struct Attribution
    {
        QList<VoiceTurn> turns; // what each voice said, in order
        QStringList turnLabels; // the label of each turn's voice
        QStringList labels;     // of every voice, in roster order
        bool enrolled = false;
    };

    // With a check-in name and statistics: the whole utterance goes to the voice now carrying
    // the name. Otherwise each stretch goes to its nearest voice (index 0 when none could be
    // told), the text is split where the voice changes, and a voice introducing itself in its
    // turn is named.
    Attribution attribute(const QString &text, const QList<RecognizedWord> &words,
                          const std::optional<QString> &checkInName, const QList<VoiceStretch> &stretches);
    // A check-in is refused only when five voices are known and none of them has the name.
    bool canEnroll(const QString &name) const;
    void setName(const QString &name, int index);
    QStringList labels() const;
    void clear();

private:
    QStringList labelsLocked() const;

    mutable std::mutex m_mutex;
    SpeakerDiarizer m_diarizer;
};
