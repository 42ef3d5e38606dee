#pragma once

#include <QString>

// Delivers dictated text at the cursor of the application that has the keyboard focus.
class CursorInserter
{
public:
    virtual ~CursorInserter() = default;
    // Returns at once; the delivery finishes in the background.
    virtual void insertAtCursor(const QString &text) = 0;
};
