#include "core/VoiceMode.h"

QString rawValue(VoiceMode mode)
{
    switch (mode) {
    case VoiceMode::Dictate:
        return QStringLiteral("dictate");
    case VoiceMode::Capture:
        return QStringLiteral("capture");
    case VoiceMode::Focus:
        return QStringLiteral("focus");
    case VoiceMode::Briefing:
        return QStringLiteral("briefing");
    }
    return QStringLiteral("dictate");
}

std::optional<VoiceMode> voiceModeFromRaw(const QString &raw)
{
    for (VoiceMode mode : {VoiceMode::Dictate, VoiceMode::Capture, VoiceMode::Focus, VoiceMode::Briefing}) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}
