#pragma once

#include "core/VoiceMode.h"

#include <QList>
#include <QString>

#include <optional>

// The Command Deck's modes, in grid order. The first four pick a voice mode; the last two open
// windows.
enum class DeckMode { Dictate, Capture, Focus, Briefing, Meeting, Tasks };

struct DeckModeInfo
{
    DeckMode mode;
    QString raw;
    QString title;
    QString symbol;
    QString subtitle;
};

const QList<DeckModeInfo> &allDeckModes();
const DeckModeInfo &info(DeckMode mode);
std::optional<DeckMode> deckModeFromRaw(const QString &raw);
std::optional<VoiceMode> voiceModeOf(DeckMode mode);
DeckMode deckModeOf(VoiceMode mode);
