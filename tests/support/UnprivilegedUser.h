#pragma once

#include <QString>

// The user id for what refuses to run as root (sway) and for the programs it starts: as root, an
// id no account uses, so that nobody else's files are in reach; otherwise this process's own.
// The same answer every time within one run.
uint unprivilegedUserId();

// Passwd and group files for nss_wrapper that name that user, written into `folder`, so that a
// daemon that looks users up (dbus-daemon) knows it; the environment to run the daemon with.
// Empty when no such files are needed (the user is this process's own).
QStringList userLookupEnvironment(const QString &folder);
