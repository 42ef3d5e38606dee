#pragma once

#include <QString>
#include <QVariantList>

// Calls the running app's control interface on the session bus.
class DBusControlClient
{
public:
    struct Reply
    {
        bool ok = false;
        QString value; // the call's string answer, if it has one
        QString error; // why the call failed
    };

    // Whether an instance of the app owns its bus name.
    static bool isAppRunning();
    // Whether the session bus can start the app for a call (it has the app's service file).
    static bool isActivatable();
    // Calls `method` with `arguments`, waiting at most `timeoutMs` for the answer.
    static Reply call(const QString &method, const QVariantList &arguments = {}, int timeoutMs = 25000);
};
