#include "meeting/SpeakerDiarizer.h"

#include "core/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// After this many utterances a centroid becomes a moving average, so a voice can drift slowly
// (a cold, a different microphone) instead of freezing.
constexpr float centroidMemory = 20;
// Weight of the pitch elements' difference: 100 Hz apart adds 0.125.
constexpr float pitchWeight = 0.5f;

bool isFinite(const VoiceVector &vector)
{
    return std::all_of(vector.begin(), vector.end(), [](float value) { return std::isfinite(value); });
}

void merge(SpeakerDiarizer::Speaker &speaker, const VoiceVector &vector)
{
    const float weight = std::min(static_cast<float>(speaker.utteranceCount), centroidMemory);
    for (std::size_t i = 0; i < vector.size(); ++i)
        speaker.centroid[i] = (speaker.centroid[i] * weight + vector[i]) / (weight + 1);
    ++speaker.utteranceCount;
}

} // namespace

float SpeakerDiarizer::distance(const VoiceVector &vector, const VoiceVector &centroid)
{
    float dot = 0;
    float vectorSquares = 0;
    float centroidSquares = 0;
    for (std::size_t i = 0; i < voiceBandCount; ++i) {
        dot += vector[i] * centroid[i];
        vectorSquares += vector[i] * vector[i];
        centroidSquares += centroid[i] * centroid[i];
    }
    const float norms = std::sqrt(vectorSquares) * std::sqrt(centroidSquares);
    const float cosinePart = norms > 0 ? 1 - dot / norms : 1;
    const float pitchPart = pitchWeight * std::abs(vector[voicePitchIndex] - centroid[voicePitchIndex]);
    return cosinePart + pitchPart;
}

int SpeakerDiarizer::assign(const VoiceVector &vector)
{
    if (!isFinite(vector))
        return 0;
    if (m_speakers.isEmpty())
        return addSpeaker(vector, std::nullopt);

    float best = std::numeric_limits<float>::max();
    int nearest = 0;
    for (int index = 0; index < m_speakers.size(); ++index) {
        const float candidate = distance(vector, m_speakers.at(index).centroid);
        // Strictly less: ties go to the earlier voice, and NaN never wins.
        if (candidate < best) {
            best = candidate;
            nearest = index;
        }
    }

    if (best > newSpeakerThreshold && m_speakers.size() < maxSpeakers)
        return addSpeaker(vector, std::nullopt);
    // With a full roster every utterance joins its nearest voice, however far.
    merge(m_speakers[nearest], vector);
    return nearest;
}

int SpeakerDiarizer::enroll(const QString &name, const VoiceVector &vector)
{
    // Without a name there is nothing to check in; on a full roster it would wipe a name.
    if (name.isEmpty())
        return assign(vector);
    const QString wanted = Text::lower(name);
    for (int index = 0; index < m_speakers.size(); ++index) {
        Speaker &speaker = m_speakers[index];
        if (!speaker.name || Text::lower(*speaker.name) != wanted)
            continue;
        // The name the voice already has keeps its spelling.
        if (isFinite(vector))
            merge(speaker, vector);
        return index;
    }

    if (!isFinite(vector))
        return 0;
    if (m_speakers.size() >= maxSpeakers) {
        const int index = assign(vector);
        setName(name, index);
        return index;
    }
    return addSpeaker(vector, name);
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

int SpeakerDiarizer::addSpeaker(const VoiceVector &vector, std::optional<QString> name)
{
    m_speakers.append(Speaker{vector, 1, std::move(name)});
    return static_cast<int>(m_speakers.size() - 1);
}
