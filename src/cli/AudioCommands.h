#pragma once

#include "cli/Output.h"
#include "core/VoiceMode.h"
#include "platform/WavFileInput.h"

#include <QString>

class QTextStream;

// The --audio side of dictrava-cli: a recording through the real recogniser.
struct AudioRunOptions
{
    QString path;
    bool realtime = false;
    bool json = false;
};

// Recognition must keep pace with the audio (its pauses end recognition tasks, and a meeting
// gives each utterance three seconds of wall-clock time), so without --realtime a recording
// plays at three times its speed.
WavFileInput::Pacing pacingOf(const AudioRunOptions &options);

// One push-to-talk recording in `mode`: the file is the microphone, its end is the key release,
// then the app's processing and routing run as for --text. Returns the exit code.
int runDictationAudio(VoiceMode mode, const AudioRunOptions &options, class AppState &state,
                      class FileRecording &recording, QTextStream &out, QTextStream &err);

// A meeting over the recording; prints the Markdown notes, or JSON with the segments.
int runMeetingAudio(const AudioRunOptions &options, QTextStream &out, QTextStream &err);
