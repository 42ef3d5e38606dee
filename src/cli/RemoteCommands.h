#pragma once

#include "app/VoiceMode.h"
#include "cli/AudioCommands.h"

#include <QString>

class QTextStream;

// The dictrava-cli commands that drive a running app over the session bus, so that only one
// process ever writes the user's data files.
namespace RemoteCommands {

// Whether the running app writes the same data folder as this process would.
bool appOwnsDataFolder(const QString &dataFolder);

// `ptt start|stop|toggle`, `deck` and `status`: one call, exit code 0 when the app took it;
// an answer (the status) is printed. `ptt start`, `ptt toggle` and `deck` start the app through the
// session bus when it is not running and the bus can.
int runControl(const QString &method, QTextStream &out, QTextStream &err);

// `meeting notes`: the running app's notes of its running or last meeting; without a running app,
// the newest notes file it left in `dataFolder`.
int runMeetingNotes(const QString &dataFolder, QTextStream &out, QTextStream &err);

// The transcript processed by the app; prints as dictrava-cli does locally.
int runText(VoiceMode mode, const QString &text, bool json, QTextStream &out, QTextStream &err);

// The recording recognised here, its transcript processed by the app.
int runAudio(VoiceMode mode, const AudioRunOptions &options, QTextStream &out, QTextStream &err);

} // namespace RemoteCommands
