#include "platform/X11DisplayLoss.h"

#include <X11/Xlib.h>

#include <mutex>

namespace {

std::mutex reactionMutex;
std::function<void()> processReaction;

void onLost(Display *, void *lost)
{
    *static_cast<bool *>(lost) = true;
    std::function<void()> reaction;
    {
        std::lock_guard lock(reactionMutex);
        reaction = processReaction;
    }
    if (reaction)
        reaction();
}

} // namespace

namespace X11DisplayLoss {

void handleOn(Display *display, bool *lost)
{
    XSetIOErrorExitHandler(display, onLost, lost);
}

void setReaction(std::function<void()> reaction)
{
    std::lock_guard lock(reactionMutex);
    processReaction = std::move(reaction);
}

} // namespace X11DisplayLoss
