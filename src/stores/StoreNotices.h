#pragma once

#include <QString>

#include <functional>

// What the stores have to tell the user: a save that failed (the data is still in memory and the
// next save tries again), a save that worked again after failing, and a file that could not be
// read and was kept aside. Stores report from any thread; the app shows the message.
struct StoreNotice
{
    enum class Kind { SaveFailed, Saved, SetAside };
    Kind kind;
    QString fileName;
    QString message;
};

namespace StoreNotices {

void report(const StoreNotice &notice);

// Hands `listener` every notice reported so far that no listener has seen, then each new one as
// it is reported, on the reporting thread. An empty function stops the deliveries and forgets
// what nobody saw; once this returns, the old listener is not called any more.
void setListener(std::function<void(const StoreNotice &)> listener);

// "your tasks" for tasks.json: how a message names the data of a file.
QString describeData(const QString &fileName);
// "disk full" for ENOSPC: why a file could not be written, in words a user knows.
QString describeError(int error);

} // namespace StoreNotices
