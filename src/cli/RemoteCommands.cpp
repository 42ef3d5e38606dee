#include "cli/RemoteCommands.h"

#include "cli/FileRecording.h"
#include "cli/Output.h"
#include "dictation/DictationEngine.h"
#include "meeting/MeetingNotesFile.h"
#include "platform/DBusControlClient.h"
#include "platform/PocketSphinxRecognizer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>

#include <chrono>

namespace {

using SteadyClock = std::chrono::steady_clock;

int printProcessed(const DBusControlClient::Reply &reply, bool json, std::optional<qint64> latencyMs,
                   QTextStream &out, QTextStream &err)
{
    if (!reply.ok) {
        err << "dictrava-cli: the running Dictrava refused: " << reply.error << '\n';
        return 1;
    }
    const std::optional<ProcessResult> result = resultFromJson(reply.value.toUtf8());
    if (!result) {
        err << "dictrava-cli: the running Dictrava gave an answer that is not a result\n";
        return 1;
    }
    if (!json) {
        printReadable(out, *result);
        return 0;
    }
    const QByteArray object = reply.value.toUtf8();
    out << QString::fromUtf8(latencyMs ? withLatency(object, *latencyMs) : object) << '\n';
    return 0;
}

// The app processed the text as if it were whole; the recogniser here did not finish it.
QString markedIncomplete(const QString &resultObject, VoiceMode mode)
{
    std::optional<ProcessResult> result = resultFromJson(resultObject.toUtf8());
    if (!result)
        return resultObject;
    result->complete = false;
    result->status = AppState::incompleteStatus(result->status);
    return QString::fromUtf8(resultJson(*result, mode));
}

} // namespace

namespace RemoteCommands {

bool appOwnsDataFolder(const QString &dataFolder)
{
    if (!DBusControlClient::isAppRunning())
        return false;
    const DBusControlClient::Reply reply = DBusControlClient::call(u"DataFolder"_qs, {}, 5000);
    return reply.ok && QDir::cleanPath(reply.value) == QDir::cleanPath(dataFolder);
}

int runControl(const QString &method, QTextStream &out, QTextStream &err, const QVariantList &arguments)
{
    // A key bound to start dictation or open the deck starts the app; asking, stopping or pausing
    // does not (an app started for it would only have nothing to stop).
    static const QStringList leaveStopped{u"Status"_qs, u"StopDictation"_qs, u"StopMeeting"_qs,
                                          u"ToggleMeetingPause"_qs};
    const bool startsApp = !leaveStopped.contains(method);
    if (!DBusControlClient::isAppRunning() && !(startsApp && DBusControlClient::isActivatable())) {
        err << "dictrava-cli: Dictrava is not running\n";
        return 1;
    }
    const DBusControlClient::Reply reply = DBusControlClient::call(method, arguments);
    if (!reply.ok) {
        err << "dictrava-cli: " << reply.error << '\n';
        return 1;
    }
    if (!reply.value.isEmpty())
        out << reply.value << '\n';
    return 0;
}

int runMeetingNotes(const QString &dataFolder, QTextStream &out, QTextStream &err)
{
    if (DBusControlClient::isAppRunning())
        return runControl(u"MeetingNotes"_qs, out, err);
    QFile notes(MeetingNotesFile::newest(dataFolder));
    if (!notes.open(QIODevice::ReadOnly)) {
        err << "dictrava-cli: Dictrava is not running and has kept no meeting notes\n";
        return 1;
    }
    out << QString::fromUtf8(notes.readAll());
    return 0;
}

int runText(VoiceMode mode, const QString &text, bool json, QTextStream &out, QTextStream &err)
{
    return printProcessed(DBusControlClient::call(u"Process"_qs, {rawValue(mode), text}), json, std::nullopt,
                          out, err);
}

int runAudio(VoiceMode mode, const AudioRunOptions &options, QTextStream &out, QTextStream &err)
{
    FileRecording recording(options.path, pacingOf(options));
    if (recording.format().sampleRate <= 0) {
        err << "dictrava-cli: " << recording.errorString() << '\n';
        return 1;
    }
    DictationEngine engine(recording, pocketSphinxRecognizerProvider());
    QEventLoop loop;
    DictationTranscript transcript;
    SteadyClock::time_point endedAt;
    // The end of the file is the key coming up.
    recording.onEndOfRecording = [&](const QString &) {
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                endedAt = SteadyClock::now();
                engine.stopAndFinalize([&](const DictationTranscript &heard) {
                    QMetaObject::invokeMethod(
                        &loop,
                        [&, heard] {
                            transcript = heard;
                            loop.quit();
                        },
                        Qt::QueuedConnection);
                });
            },
            Qt::QueuedConnection);
    };
    if (const std::optional<DictationError> error = engine.start()) {
        err << "dictrava-cli: Mic error: " << error->description << '\n';
        return 1;
    }
    loop.exec();
    DBusControlClient::Reply reply =
        DBusControlClient::call(u"Process"_qs, {rawValue(mode), transcript.text});
    if (reply.ok && transcript.cutShort)
        reply.value = markedIncomplete(reply.value, mode);
    const qint64 latencyMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - endedAt).count();
    return printProcessed(reply, options.json, latencyMs, out, err);
}

} // namespace RemoteCommands
