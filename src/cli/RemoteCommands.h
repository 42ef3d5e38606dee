#pragma once

#include "cli/AudioCommands.h"
#include "core/VoiceMode.h"

#include <QString>
#include <QVariantList>

class QTextStream;

// The dictrava-cli commands that drive a running app over the session bus, so that only one
// process ever writes the user's data files.
namespace RemoteCommands {

// Whether the running app writes the same data folder as this process would.
bool appOwnsDataFolder(const QString &dataFolder);

struct Call
{
    QString method;
    QVariantList arguments;
};

// `ptt start|stop|toggle`, `deck`, `open WINDOW` and `status`: one call, exit code 0 when the app
// took it; an answer (the status) is printed.
int runControl(const Call &call, QTextStream &out, QTextStream &err);

// The transcript processed by the app; prints as dictrava-cli does locally.
int runText(VoiceMode mode, const QString &text, bool json, QTextStream &out, QTextStream &err);

// The recording recognised here, its transcript processed by the app.
int runAudio(VoiceMode mode, const AudioRunOptions &options, QTextStream &out, QTextStream &err);

} // namespace RemoteCommands
