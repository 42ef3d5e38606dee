#include "meeting/SpeakerDiarizer.h"

#include "core/Text.h"

#include <limits>

std::pair<int, double> SpeakerDiarizer::nearest(const VoiceStatistics &statistics) const
{
    double best = std::numeric_limits<double>::infinity();
    int index = 0;
    // Everything heard so far: every voice, and the stretch now being placed.
    VoiceStatistics heard = statistics;
    for (const Speaker &speaker : m_speakers)
        heard += speaker.statistics;
    const VoiceStatistics::Values spread = heard.variances();
    for (int candidate = 0; candidate < m_speakers.size(); ++candidate) {
        const double distance =
            VoiceStatistics::distance(statistics, m_speakers.at(candidate).statistics, spread);
        // Strictly less: ties go to the earlier voice, and NaN never wins.
        if (distance < best) {
            best = distance;
            index = candidate;
        }
    }
    return {index, best};
}

int SpeakerDiarizer::assign(const VoiceStatistics &statistics)
{
    if (!statistics.isFinite())
        return 0;
    if (m_speakers.isEmpty())
        return addSpeaker(statistics, std::nullopt);

    const auto [index, distance] = nearest(statistics);
    if (distance > newSpeakerThreshold && m_speakers.size() < maxSpeakers)
        return addSpeaker(statistics, std::nullopt);
    // With a full roster every stretch joins its nearest voice, however far.
    join(m_speakers[index], statistics);
    return index;
}

int SpeakerDiarizer::enroll(const QString &name, const VoiceStatistics &statistics)
{
    // Without a name there is nothing to check in; on a full roster it would wipe a name.
    if (name.isEmpty())
        return assign(statistics);
    const QString wanted = Text::lower(name);
    for (int index = 0; index < m_speakers.size(); ++index) {
        Speaker &speaker = m_speakers[index];
        if (!speaker.name || Text::lower(*speaker.name) != wanted)
            continue;
        // The name the voice already has keeps its spelling.
        if (statistics.isFinite())
            join(speaker, statistics);
        return index;
    }

    if (!statistics.isFinite())
        return 0;
    if (m_speakers.size() >= maxSpeakers) {
        const int index = assign(statistics);
        setName(name, index);
        return index;
    }
    return addSpeaker(statistics, name);
}

QString SpeakerDiarizer::label(int index) const
{
    if (!isInRoster(index))
        return QStringLiteral("Speaker ?");
    const Speaker &speaker = m_speakers.at(index);
    if (speaker.name)
        return *speaker.name;
    return QStringLiteral("Speaker %1").arg(index + 1);
}

void SpeakerDiarizer::setName(const QString &name, int index)
{
    if (!isInRoster(index))
        return;
    // A blank label would leave a voice's segments without any visible attribution.
    m_speakers[index].name = name.isEmpty() ? std::nullopt : std::optional(name);
}

void SpeakerDiarizer::join(Speaker &speaker, const VoiceStatistics &statistics)
{
    speaker.statistics += statistics;
    ++speaker.utteranceCount;
}

int SpeakerDiarizer::addSpeaker(const VoiceStatistics &statistics, std::optional<QString> name)
{
    m_speakers.append(Speaker{statistics, 1, std::move(name)});
    return static_cast<int>(m_speakers.size() - 1);
}
