#pragma once

#include "app/AppState.h"
#include "app/ProcessResultJson.h"

#include <QByteArray>

class QTextStream;

// How dictrava-cli shows one processed recording.
void printReadable(QTextStream &out, const ProcessResult &result);
// A result object with the recording's release-to-result time added as "latencyMs".
QByteArray withLatency(QByteArray resultObject, qint64 latencyMs);
