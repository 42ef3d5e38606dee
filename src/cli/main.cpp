// dictrava-cli: the app's pipelines without a desktop. Text in, the app's result out, over the
// user's own data folder and settings.
#include "app/AppState.h"
#include "app/LocalNotificationCenter.h"
#include "app/Settings.h"
#include "cli/AudioCommands.h"
#include "cli/FileRecording.h"
#include "cli/Output.h"
#include "cli/RemoteCommands.h"
#include "cli/TerminalDelivery.h"
#include "core/Clock.h"
#include "core/Diagnostics.h"
#include "core/Json.h"
#include "core/TranscriptLimit.h"
#include "dictation/DictationEngine.h"
#include "platform/DBusNotificationClient.h"
#include "platform/PocketSphinxRecognizer.h"
#include "stores/DataFolder.h"
#include "stores/DataFolderLock.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

constexpr int kUsageError = 2;
// The command forms, shown by --help and on a usage error.
constexpr auto kUsage = "usage: dictrava-cli (dictate|capture|focus|briefing) (--text TEXT | --audio FILE "
                        "[--realtime])\n"
                        "                    [--now YYYY-MM-DDTHH:MM[:SS]] [--json]\n"
                        "       dictrava-cli meeting --audio FILE [--realtime] [--json]\n"
                        "       dictrava-cli meeting (start|stop|pause|notes)\n"
                        "       dictrava-cli ptt (start|stop|toggle)\n"
                        "       dictrava-cli deck\n"
                        "       dictrava-cli status\n";

// The control calls a key binding of the desktop can make.
std::optional<QString> controlMethod(const QStringList &positional)
{
    if (positional == QStringList{u"deck"_qs})
        return u"ToggleDeck"_qs;
    if (positional == QStringList{u"status"_qs})
        return u"Status"_qs;
    if (positional.size() == 2 && positional.constFirst() == u"meeting") {
        static const QHash<QString, QString> meetingMethods{{u"start"_qs, u"StartMeeting"_qs},
                                                            {u"stop"_qs, u"StopMeeting"_qs},
                                                            {u"pause"_qs, u"ToggleMeetingPause"_qs}};
        return meetingMethods.contains(positional.constLast())
                   ? std::optional(meetingMethods[positional.constLast()])
                   : std::nullopt;
    }
    if (positional.size() != 2 || positional.constFirst() != u"ptt")
        return std::nullopt;
    const QString &action = positional.constLast();
    if (action == u"start")
        return u"StartDictation"_qs;
    if (action == u"stop")
        return u"StopDictation"_qs;
    if (action == u"toggle")
        return u"ToggleDictation"_qs;
    return std::nullopt;
}

std::optional<QDateTime> parseNow(const QString &text)
{
    for (const QString &format : {u"yyyy-MM-ddTHH:mm:ss"_qs, u"yyyy-MM-ddTHH:mm"_qs}) {
        const QDateTime moment = QDateTime::fromString(text, format);
        if (moment.isValid())
            return moment;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Dictrava"_qs);
    QCoreApplication::setApplicationVersion(QStringLiteral(DICTRAVA_VERSION));

    QCommandLineParser options;
    options.setApplicationDescription(u"Runs Dictrava's processing for a voice mode over a transcript or a "
                                      "recording, or transcribes a recorded meeting. ptt, deck and status "
                                      "control the running app; ptt start, ptt toggle and deck start it "
                                      "when it is not running.\n\n"_qs +
                                      QString::fromLatin1(kUsage));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(u"mode"_qs,
                                  u"dictate, capture, focus, briefing or meeting; or "
                                  "ptt start|stop|toggle, meeting start|stop|pause|notes, deck or status, "
                                  "for the running app"_qs);
    const QCommandLineOption textOption(u"text"_qs, u"The raw transcript."_qs, u"TEXT"_qs);
    const QCommandLineOption audioOption(
        u"audio"_qs, u"A recording to recognise (WAV, FLAC…): a file, a pipe, or - for standard input."_qs,
        u"FILE"_qs);
    const QCommandLineOption realtimeOption(u"realtime"_qs, u"Play the recording at its own speed."_qs);
    const QCommandLineOption nowOption(u"now"_qs, u"Run as if it were this local time."_qs,
                                       u"YYYY-MM-DDTHH:MM[:SS]"_qs);
    const QCommandLineOption jsonOption(u"json"_qs, u"Print one JSON object."_qs);
    options.addOptions({textOption, audioOption, realtimeOption, nowOption, jsonOption});
    options.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList positional = options.positionalArguments();
    if (positional == QStringList{u"meeting"_qs, u"notes"_qs})
        return RemoteCommands::runMeetingNotes(DataFolder::defaultPath(), out, err);
    if (const std::optional<QString> method = controlMethod(positional))
        return RemoteCommands::runControl(*method, out, err);
    const QString modeName = positional.value(0);
    const bool meeting = modeName == u"meeting";
    const std::optional<VoiceMode> mode = voiceModeFromRaw(modeName);
    const bool oneInput = options.isSet(textOption) != options.isSet(audioOption);
    if (positional.size() != 1 || (!mode && !meeting) || !oneInput ||
        (meeting && !options.isSet(audioOption))) {
        err << kUsage;
        return kUsageError;
    }
    if (options.isSet(jsonOption))
        printDiagnosticsToStandardError(); // standard output holds the one JSON object
    const AudioRunOptions audio{options.value(audioOption), options.isSet(realtimeOption),
                                options.isSet(jsonOption)};
    if (meeting)
        return runMeetingAudio(audio, out, err);

    if (TranscriptLimit::exceeds(options.value(textOption))) {
        err << "dictrava-cli: " << TranscriptLimit::explain(options.value(textOption)) << '\n';
        return kUsageError;
    }

    // One writer per data folder: a running app does the processing itself, and another
    // dictrava-cli is given a few seconds to finish its save.
    const QString dataFolder = DataFolder::defaultPath();
    DataFolderLock dataLock(dataFolder);
    switch (dataLock.acquire([&dataFolder] { return RemoteCommands::appOwnsDataFolder(dataFolder); },
                             std::chrono::seconds(5))) {
    case DataFolderLock::Outcome::Acquired:
        break;
    case DataFolderLock::Outcome::HolderAnswers:
        if (options.isSet(nowOption)) {
            err << "dictrava-cli: --now cannot be used while Dictrava is running on the same data; quit "
                   "it first\n";
            return kUsageError;
        }
        if (options.isSet(audioOption))
            return RemoteCommands::runAudio(*mode, audio, out, err);
        return RemoteCommands::runText(*mode, options.value(textOption), options.isSet(jsonOption), out, err);
    case DataFolderLock::Outcome::HolderSilent:
        err << "dictrava-cli: another Dictrava is using " << dataFolder << " and cannot be reached\n";
        return 1;
    case DataFolderLock::Outcome::Failed:
        err << "dictrava-cli: cannot lock " << dataFolder << ": " << dataLock.errorString() << '\n';
        return 1;
    }

    ManualClock fixedClock;
    SystemClock systemClock;
    const Clock *clock = &systemClock;
    if (options.isSet(nowOption)) {
        const std::optional<QDateTime> now = parseNow(options.value(nowOption));
        if (!now) {
            err << "dictrava-cli: --now wants YYYY-MM-DDTHH:MM[:SS], got \"" << options.value(nowOption)
                << "\"\n";
            return kUsageError;
        }
        fixedClock.set(*now);
        clock = &fixedClock;
    }

    const std::unique_ptr<QSettings> settings = Settings::open();
    DBusNotificationClient desktopNotifications;
    LocalNotificationCenter notifications(*clock, desktopNotifications, dataFolder);
    TerminalDelivery terminal;
    FileRecording recording(audio.path, pacingOf(audio));
    DictationEngine engine(recording, pocketSphinxRecognizerProvider());
    AppServices services;
    services.notifications = &notifications;
    services.engine = &engine;
    services.inserter = &terminal;
    services.pasteboard = &terminal;
    services.permissions = &terminal;
    AppState state(*settings, *clock, services, dataFolder);

    if (options.isSet(audioOption))
        return runDictationAudio(*mode, audio, state, recording, out, err);

    const ProcessResult result = state.process(options.value(textOption), *mode);
    if (!allSaved(state, err))
        return 1;
    if (options.isSet(jsonOption))
        out << QString::fromUtf8(resultJson(result, *mode)) << '\n';
    else
        printReadable(out, result);
    return 0;
}
