#pragma once

#include <QString>

#include <optional>

// What a push-to-talk recording is for. The raw value is the mode's name.
enum class VoiceMode { Dictate, Capture, Focus, Briefing };

QString rawValue(VoiceMode mode);
std::optional<VoiceMode> voiceModeFromRaw(const QString &raw);
