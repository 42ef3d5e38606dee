#pragma once

#include <QString>

// Writes one "[Tag] …" diagnostic line to standard output, whole, from any thread.
void printDiagnostic(const QString &line);

// Sends the diagnostic lines to standard error instead, for a program whose standard output
// must hold nothing but its result.
void printDiagnosticsToStandardError();
