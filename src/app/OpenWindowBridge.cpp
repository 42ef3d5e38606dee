#include "app/OpenWindowBridge.h"

void OpenWindowBridge::requestMeeting()
{
    emit openRequested(u"meeting"_qs);
}

void OpenWindowBridge::requestTasks()
{
    emit openRequested(u"tasks"_qs);
}
