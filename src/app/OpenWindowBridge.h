#pragma once

#include <functional>

// Carries the window-opening actions from the shell, which owns the windows, to the deck.
// A missing handler means the window cannot be opened (headless), and the request is dropped.
class OpenWindowBridge
{
public:
    std::function<void()> openMeeting;
    std::function<void()> openTasks;

    void requestMeeting() const
    {
        if (openMeeting)
            openMeeting();
    }
    void requestTasks() const
    {
        if (openTasks)
            openTasks();
    }
};
