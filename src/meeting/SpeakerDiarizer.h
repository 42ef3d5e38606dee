#pragma once

#include "meeting/VoiceVector.h"

#include <QList>
#include <QString>

#include <optional>

// Tells up to five voices apart by their voice vectors, without any trained model. Each voice
// is the running mean ("centroid") of the vectors attributed to it; a new vector joins the
// nearest voice, or opens a new one when none is near enough and the roster has room. A voice's
// roster index is its identity for the whole meeting.
//
// Not thread-safe: the meeting session serialises every call with its processing queue.
class SpeakerDiarizer
{
public:
    struct Speaker
    {
        VoiceVector centroid{};
        int utteranceCount = 1;
        std::optional<QString> name;
    };

    static constexpr int maxSpeakers = 5;
    static constexpr float newSpeakerThreshold = 0.15f;

    // The roster index the vector is attributed to; may add a voice. A vector holding a NaN or
    // an infinity is refused like a missing one: index 0, roster untouched.
    int assign(const VoiceVector &vector);
    // The index of the voice that now carries the name; may add a voice or rename the nearest
    // one when the roster is full. An empty name makes it a plain assign(). A vector with a NaN
    // or an infinity changes no centroid: the voice already carrying the name, else index 0.
    int enroll(const QString &name, const VoiceVector &vector);
    // The voice's name, "Speaker N" (1-based) when it has none, "Speaker ?" outside the roster.
    QString label(int index) const;
    // An empty name removes the name. Ignored for an index outside the roster.
    void setName(const QString &name, int index);

    const QList<Speaker> &speakers() const { return m_speakers; }
    void clearRoster() { m_speakers.clear(); }

    // Cosine distance of the band parts plus half the difference of the pitch elements.
    static float distance(const VoiceVector &vector, const VoiceVector &centroid);

private:
    int addSpeaker(const VoiceVector &vector, std::optional<QString> name);
    bool isInRoster(int index) const { return index >= 0 && index < m_speakers.size(); }

    QList<Speaker> m_speakers;
};
