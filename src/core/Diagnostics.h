#pragma once

#include <QString>

// Writes one "[Tag] …" diagnostic line to standard output, whole, from any thread.
void printDiagnostic(const QString &line);
