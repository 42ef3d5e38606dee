#pragma once

#include "app/AppState.h"

#include <QByteArray>

class QTextStream;

// How dictrava-cli shows one processed recording.
QByteArray resultJson(const ProcessResult &result, VoiceMode mode);
void printReadable(QTextStream &out, const ProcessResult &result);
