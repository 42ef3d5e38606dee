#pragma once

#include "app/AppState.h"
#include "app/ProcessResultJson.h"

#include <QByteArray>

class QTextStream;

// How dictrava-cli shows one processed recording.
void printReadable(QTextStream &out, const ProcessResult &result);
// Writes every pending save. False, with why on stderr, when something could not be saved: the
// caller then reports no result.
bool allSaved(AppState &state, QTextStream &err);
// A result object with the recording's release-to-result time added as "latencyMs".
QByteArray withLatency(QByteArray resultObject, qint64 latencyMs);
