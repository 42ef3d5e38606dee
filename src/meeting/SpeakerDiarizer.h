#pragma once

#include "meeting/VoiceStatistics.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Tells up to five voices apart by their voice statistics, without any trained model. Each voice
// is the sum of the statistics attributed to it; a new stretch joins the nearest voice, or opens
// a new one when none is near enough and the roster has room. A voice's roster index is its
// identity for the whole meeting. Everything the roster holds gives the spread a voice is assumed
// to have before enough of it has been heard.
//
// Not thread-safe: the meeting session serialises every call with its processing queue.
class SpeakerDiarizer
{
public:
    struct Speaker
    {
        VoiceStatistics statistics;
        int utteranceCount = 1;
        std::optional<QString> name;
    };

    static constexpr int maxSpeakers = 5;
    // Farther than this from every voice is a new voice.
    static constexpr double newSpeakerThreshold = 1.5;

    // The roster index the statistics are attributed to; may add a voice. Statistics holding a
    // NaN or an infinity are refused like missing ones: index 0, roster untouched.
    int assign(const VoiceStatistics &statistics);
    // The index of the voice that now carries the name; may add a voice or rename the nearest
    // one when the roster is full. An empty name makes it a plain assign(). Statistics with a
    // NaN or an infinity change no voice: the voice already carrying the name, else index 0.
    int enroll(const QString &name, const VoiceStatistics &statistics);
    // The voice's name, "Speaker N" (1-based) when it has none, "Speaker ?" outside the roster.
    QString label(int index) const;
    // An empty name removes the name. Ignored for an index outside the roster.
    void setName(const QString &name, int index);

    const QList<Speaker> &speakers() const { return m_speakers; }
    void clearRoster() { m_speakers.clear(); }

private:
    // The nearest voice and its distance; ties go to the earliest voice. Index 0 and infinity for
    // an empty roster.
    std::pair<int, double> nearest(const VoiceStatistics &statistics) const;
    static void join(Speaker &speaker, const VoiceStatistics &statistics);
    int addSpeaker(const VoiceStatistics &statistics, std::optional<QString> name);
    bool isInRoster(int index) const { return index >= 0 && index < m_speakers.size(); }

    QList<Speaker> m_speakers;
};
