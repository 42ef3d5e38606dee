#pragma once

#include "meeting/SpeakerDiarizer.h"

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
        int index = 0;
        QString label;      // of the voice at `index`
        QStringList labels; // of every voice, in roster order
        bool enrolled = false;
    };

    // With a check-in name and a vector: the voice now carrying the name. Otherwise the nearest
    // voice (index 0 without a vector), named after whoever the text introduces.
    Attribution attribute(const QString &text, const std::optional<QString> &checkInName,
                          const std::optional<VoiceVector> &vector);
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
