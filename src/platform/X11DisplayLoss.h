#pragma once

#include <functional>

struct _XDisplay;

// What happens when the X server behind a connection we opened goes away. Xlib's default is to
// call exit() from inside whichever call noticed, with Qt's and our other threads still running,
// which can end in a crash instead of a clean exit with the user's data saved.
namespace X11DisplayLoss {

// Makes a lost `display` mark `*lost` and run the process's reaction (once per connection)
// instead of ending the process. Xlib calls on the dead connection then return at once.
void handleOn(_XDisplay *display, bool *lost);

// What the process does when a display it watches is gone; set once by the app. Runs on the
// thread that noticed, so it should only schedule work.
void setReaction(std::function<void()> reaction);

} // namespace X11DisplayLoss
