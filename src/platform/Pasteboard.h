#pragma once

#include <QString>

// The desktop clipboard.
class Pasteboard
{
public:
    virtual ~Pasteboard() = default;
    // Replaces whatever the clipboard holds with plain text.
    virtual void setText(const QString &text) = 0;
};
