#pragma once

#include <QString>

#include <optional>

// Reads one utterance and, when it sounds like a self-introduction ("my name is Maya",
// "I'm Maya", "this is Maya speaking", "call me Maya", "Maya here."), returns the name.
class NameDetector
{
public:
    // The name with its first character upper-cased and the rest as spoken, or nothing.
    static std::optional<QString> detectName(const QString &text);
};
