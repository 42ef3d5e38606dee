#include "meeting/SpeakerRoster.h"

#include "core/Text.h"
#include "meeting/NameDetector.h"

#include <algorithm>

SpeakerRoster::Attribution SpeakerRoster::attribute(const QString &text,
                                                    const std::optional<QString> &checkInName,
                                                    const std::optional<VoiceVector> &vector)
{
    Attribution attribution;
    attribution.enrolled = checkInName && vector;
    // Outside the lock: it only reads the text.
    const std::optional<QString> introduced =
        attribution.enrolled ? std::nullopt : NameDetector::detectName(text);

    std::lock_guard lock(m_mutex);
    if (attribution.enrolled) {
        attribution.index = m_diarizer.enroll(*checkInName, *vector);
    } else {
        attribution.index = vector ? m_diarizer.assign(*vector) : 0;
        if (introduced)
            m_diarizer.setName(*introduced, attribution.index);
    }
    attribution.label = m_diarizer.label(attribution.index);
    attribution.labels = labelsLocked();
    return attribution;
}

bool SpeakerRoster::canEnroll(const QString &name) const
{
    const QString wanted = Text::lower(name);
    std::lock_guard lock(m_mutex);
    const QList<SpeakerDiarizer::Speaker> &speakers = m_diarizer.speakers();
    return speakers.size() < SpeakerDiarizer::maxSpeakers ||
           std::any_of(speakers.begin(), speakers.end(), [&wanted](const auto &speaker) {
               return speaker.name && Text::lower(*speaker.name) == wanted;
           });
}

void SpeakerRoster::setName(const QString &name, int index)
{
    std::lock_guard lock(m_mutex);
    m_diarizer.setName(name, index);
}

QStringList SpeakerRoster::labels() const
{
    std::lock_guard lock(m_mutex);
    return labelsLocked();
}

void SpeakerRoster::clear()
{
    std::lock_guard lock(m_mutex);
    m_diarizer.clearRoster();
}

QStringList SpeakerRoster::labelsLocked() const
{
    QStringList labels;
    for (int index = 0; index < m_diarizer.speakers().size(); ++index)
        labels.append(m_diarizer.label(index));
    return labels;
}
