#include "app/DeckMode.h"

const QList<DeckModeInfo> &allDeckModes()
{
    static const QList<DeckModeInfo> modes = {
        {DeckMode::Dictate, u"dictate"_qs, u"Dictate"_qs, u"text.cursor"_qs, u"Type into apps"_qs},
        {DeckMode::Capture, u"capture"_qs, u"Capture"_qs, u"checklist"_qs, u"Voice → todos"_qs},
        {DeckMode::Focus, u"focus"_qs, u"Focus"_qs, u"target"_qs, u"North Star + steps"_qs},
        {DeckMode::Briefing, u"briefing"_qs, u"Briefing"_qs, u"sun.horizon.fill"_qs, u"Tomorrow’s plan"_qs},
        {DeckMode::Meeting, u"meeting"_qs, u"Meeting"_qs, u"person.3"_qs, u"Up to 5 voices"_qs},
        {DeckMode::Tasks, u"tasks"_qs, u"Tasks"_qs, u"calendar.badge.clock"_qs, u"Upcoming list"_qs},
    };
    return modes;
}

const DeckModeInfo &info(DeckMode mode)
{
    return allDeckModes()[static_cast<int>(mode)];
}

std::optional<DeckMode> deckModeFromRaw(const QString &raw)
{
    for (const DeckModeInfo &mode : allDeckModes()) {
        if (mode.raw == raw)
            return mode.mode;
    }
    return std::nullopt;
}

std::optional<VoiceMode> voiceModeOf(DeckMode mode)
{
    switch (mode) {
    case DeckMode::Dictate:
        return VoiceMode::Dictate;
    case DeckMode::Capture:
        return VoiceMode::Capture;
    case DeckMode::Focus:
        return VoiceMode::Focus;
    case DeckMode::Briefing:
        return VoiceMode::Briefing;
    case DeckMode::Meeting:
    case DeckMode::Tasks:
        return std::nullopt;
    }
    return std::nullopt;
}

DeckMode deckModeOf(VoiceMode mode)
{
    switch (mode) {
    case VoiceMode::Dictate:
        return DeckMode::Dictate;
    case VoiceMode::Capture:
        return DeckMode::Capture;
    case VoiceMode::Focus:
        return DeckMode::Focus;
    case VoiceMode::Briefing:
        return DeckMode::Briefing;
    }
    return DeckMode::Dictate;
}
