#pragma once

#include "app/AppState.h"

#include <QByteArray>

#include <optional>

// One processed recording as a JSON object: raw, text, status, complete and, by mode, tasks, session or
// briefing in their stored form. dictrava-cli prints it; the app answers it over D-Bus.
QByteArray resultJson(const ProcessResult &result, VoiceMode mode);

// The object above read back; nothing when it is not one.
std::optional<ProcessResult> resultFromJson(const QByteArray &json);
