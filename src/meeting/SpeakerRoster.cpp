#include "meeting/SpeakerRoster.h"

#include "core/Text.h"
#include "meeting/NameDetector.h"

#include <algorithm>

SpeakerRoster::Attribution SpeakerRoster::attribute(const QString &text, const QList<RecognizedWord> &words,
                                                    const std::optional<QString> &checkInName,
                                                    const QList<VoiceStretch> &stretches)
{
    std::optional<VoiceStatistics> whole;
    for (const VoiceStretch &stretch : stretches) {
        if (stretch.statistics)
            whole = whole ? (*whole += *stretch.statistics) : *stretch.statistics;
    }
    const double start = stretches.isEmpty() ? 0 : stretches.first().start;
    const double end = stretches.isEmpty() ? 0 : stretches.last().end;

    Attribution attribution;
    attribution.enrolled = checkInName && whole;
    std::lock_guard lock(m_mutex);
    if (attribution.enrolled) {
        attribution.turns = {{m_diarizer.enroll(*checkInName, *whole), text, start, end}};
    } else if (!whole) {
        attribution.turns = {{0, text, start, end}};
    } else {
        QList<int> voices;
        for (const VoiceStretch &stretch : stretches)
            voices.append(stretch.statistics ? m_diarizer.assign(*stretch.statistics) : -1);
        attribution.turns = splitIntoTurns(stretches, voices, text, words);
    }
    if (!attribution.enrolled) {
        for (const VoiceTurn &turn : attribution.turns) {
            if (const std::optional<QString> introduced = NameDetector::detectName(turn.text))
                m_diarizer.setName(*introduced, turn.speakerIndex);
        }
    }
    for (const VoiceTurn &turn : attribution.turns)
        attribution.turnLabels.append(m_diarizer.label(turn.speakerIndex));
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
