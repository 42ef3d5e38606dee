#include "cli/RemoteCommands.h"

#include "cli/FileRecording.h"
#include "cli/Output.h"
#include "dictation/DictationEngine.h"
#include "platform/DBusControlClient.h"
#include "platform/PocketSphinxRecognizer.h"

#include <QDir>
#include <QEventLoop>
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

} // namespace

namespace RemoteCommands {

bool appOwnsDataFolder(const QString &dataFolder)
{
    if (!DBusControlClient::isAppRunning())
        return false;
    const DBusControlClient::Reply reply = DBusControlClient::call(u"DataFolder"_qs, {}, 5000);
    return reply.ok && QDir::cleanPath(reply.value) == QDir::cleanPath(dataFolder);
}

int runControl(const Call &call, QTextStream &out, QTextStream &err)
{
    if (!DBusControlClient::isAppRunning()) {
        err << "dictrava-cli: Dictrava is not running\n";
        return 1;
    }
    const DBusControlClient::Reply reply = DBusControlClient::call(call.method, call.arguments);
    if (!reply.ok) {
        err << "dictrava-cli: " << reply.error << '\n';
        return 1;
    }
    if (!reply.value.isEmpty())
        out << reply.value << '\n';
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
    QString raw;
    SteadyClock::time_point endedAt;
    // The end of the file is the key coming up.
    recording.onEndOfRecording = [&](const QString &) {
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                endedAt = SteadyClock::now();
                engine.stopAndFinalize([&](const QString &text) {
                    QMetaObject::invokeMethod(
                        &loop,
                        [&, text] {
                            raw = text;
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
    const DBusControlClient::Reply reply = DBusControlClient::call(u"Process"_qs, {rawValue(mode), raw});
    const qint64 latencyMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - endedAt).count();
    return printProcessed(reply, options.json, latencyMs, out, err);
}

} // namespace RemoteCommands
