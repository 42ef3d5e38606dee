// dictrava: the desktop app. Hold Right Alt in any application, speak, release.
#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "app/DesktopPermissions.h"
#include "app/LocalNotificationCenter.h"
#include "app/ProcessResultJson.h"
#include "app/PushToTalkWatchdog.h"
#include "app/Settings.h"
#include "core/Clock.h"
#include "core/Diagnostics.h"
#include "core/Json.h"
#include "dictation/DictationEngine.h"
#include "dictation/HotkeyManager.h"
#include "dictation/TextInserter.h"
#include "meeting/MeetingSession.h"
#include "platform/DBusControlClient.h"
#include "platform/DBusControlService.h"
#include "platform/DBusNotificationClient.h"
#include "platform/DesktopBackendFactory.h"
#include "platform/ExitGuard.h"
#include "platform/KeySynthesizer.h"
#include "platform/MemoryTuning.h"
#include "platform/PocketSphinxRecognizer.h"
#include "platform/PulseAudioInput.h"
#include "platform/TerminationSignals.h"
#include "platform/X11DisplayLoss.h"
#include "stores/DataFolder.h"
#include "stores/DataFolderLock.h"
#include "ui/ClipboardPasteboard.h"
#include "ui/DataWindows.h"
#include "ui/DesktopShell.h"
#include "ui/LocalKeyMonitor.h"
#include "ui/PermissionListModel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(DictravaPlugin)

namespace {

// What the control interface does, once the app state and the shell exist.
DBusControlService::Handlers controlHandlers(AppState *&state, DesktopShell *&shell,
                                             PushToTalkWatchdog &watchdog, const QString &dataFolder)
{
    DBusControlService::Handlers handlers;
    handlers.dataFolder = dataFolder;
    handlers.activate = [&shell] {
        if (!shell)
            return;
        printDiagnostic(u"[Shell] Activated over D-Bus"_qs);
        shell->activate();
    };
    // Starts from outside come from key bindings, whose release may never arrive.
    handlers.startDictation = [&state, &watchdog] {
        if (!state)
            return;
        state->startDictation();
        watchdog.arm();
    };
    handlers.stopDictation = [&state] {
        if (state)
            state->stopDictation();
    };
    handlers.toggleDictation = [&state] {
        if (!state)
            return;
        if (state->isDictating())
            state->stopDictation();
        else
            state->startDictation();
    };
    handlers.toggleDeck = [&state] {
        if (state)
            state->deck().toggle();
    };
    handlers.openWindow = [&shell](const QString &id) { return shell && shell->openWindow(id); };
    handlers.setVoiceMode = [&state](const QString &name) {
        const std::optional<VoiceMode> mode = voiceModeFromRaw(name);
        if (mode && state)
            state->setVoiceMode(*mode);
        return mode.has_value();
    };
    handlers.process = [&state](const QString &name, const QString &text) {
        const std::optional<VoiceMode> mode = voiceModeFromRaw(name);
        if (!mode || !state)
            return DBusControlService::Processed();
        const QByteArray json = resultJson(state->process(text, *mode), *mode);
        // The caller takes the answer as a promise that the records are kept.
        return DBusControlService::Processed{json, state->flush().join(u"; "_qs)};
    };
    handlers.meeting = [&state](const QString &action) -> QString {
        if (!state)
            return {};
        MeetingSession &meeting = state->meeting();
        if (action == u"start") {
            meeting.start();
            return meeting.isRunning() ? QString() : meeting.errorMessage();
        }
        if (action == u"stop")
            meeting.stop();
        if (action == u"pause")
            meeting.togglePause();
        return action == u"notes" ? meeting.exportMarkdown() : QString();
    };
    handlers.status = [&state] {
        if (!state)
            return QByteArray();
        return JsonObjectWriter()
            .add("isDictating", state->isDictating())
            .add("voiceMode", state->voiceModeRaw())
            .add("deckVisible", state->deck().isVisible())
            .add("statusMessage", state->statusMessage())
            .add("lastResult", state->lastResult())
            .finish();
    };
    return handlers;
}

// --help and --version answer before the app connects to a display, so they work without one.
void answerHelpOrVersion(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser options;
    options.setApplicationDescription(
        u"Dictrava: hold Right Alt in any application, speak and release; your words are recognised "
        "on this computer and pasted at the cursor. Ctrl+Space toggles the Command Deck. Control the "
        "running app with dictrava-cli."_qs);
    // Qt's own single-dash options (-platform, -display…) are left to QApplication.
    options.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = options.addHelpOption();
    const QCommandLineOption version = options.addVersionOption();
    options.parse(arguments);
    if (!options.isSet(help) && !options.isSet(version) && !options.isSet(u"help-all"_qs))
        return;
    const QCoreApplication app(argc, argv);
    if (options.isSet(version))
        options.showVersion();
    options.showHelp();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(u"Dictrava"_qs);
    QApplication::setApplicationVersion(QStringLiteral(DICTRAVA_VERSION));
    answerHelpOrVersion(argc, argv);
    limitMallocArenas();
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(u"dictrava"_qs);
    QApplication::setWindowIcon(QIcon(u":/Dictrava/dictrava.svg"_qs));
    // The tray is the app: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString dataFolder = DataFolder::defaultPath();
    // One writer per data folder: a second launch hands over to the first, and never writes
    // beside one it cannot reach. The patience covers a dictrava-cli run finishing its save.
    DataFolderLock dataLock(dataFolder);
    switch (dataLock.acquire(&DBusControlClient::isAppRunning, std::chrono::seconds(5))) {
    case DataFolderLock::Outcome::Acquired:
        break;
    case DataFolderLock::Outcome::HolderAnswers:
        DBusControlClient::call(u"Activate"_qs);
        return 0;
    case DataFolderLock::Outcome::HolderSilent:
        std::fprintf(stderr, "dictrava: another Dictrava is using %s and cannot be reached; quit it first\n",
                     qPrintable(dataFolder));
        return 1;
    case DataFolderLock::Outcome::Failed:
        std::fprintf(stderr, "dictrava: cannot lock %s: %s\n", qPrintable(dataFolder),
                     qPrintable(dataLock.errorString()));
        return 1;
    }

    AppState *state = nullptr;
    DesktopShell *shell = nullptr;
    PushToTalkWatchdog watchdog;
    DBusControlService control(controlHandlers(state, shell, watchdog, dataFolder));
    switch (control.registerOnSessionBus()) {
    case DBusControlService::Registration::Registered:
        break;
    case DBusControlService::Registration::AlreadyRunning:
        DBusControlClient::call(u"Activate"_qs);
        return 0;
    case DBusControlService::Registration::NoSessionBus:
        printDiagnostic(u"[Shell] No session bus: a second launch cannot find this one"_qs);
        break;
    }

    SystemClock clock;
    const std::unique_ptr<QSettings> settings = Settings::open();
    DBusNotificationClient desktopNotifications;
    LocalNotificationCenter notifications(clock, desktopNotifications, dataFolder);

    const SpeechRecognizerProvider recognizers = pocketSphinxRecognizerProvider();
    PulseAudioInput microphone;
    DictationEngine engine(microphone, recognizers);

    const std::unique_ptr<DesktopBackend> desktopBackend = openDesktopBackend();
    printDiagnostic(u"[Shell] Desktop backend: "_qs + desktopBackend->name());
    LocalKeyMonitor inOurWindows;
    HotkeyManager hotkeys(desktopBackend->keyboardMonitor(), &inOurWindows);

    KeySynthesizer &keys = desktopBackend->keySynthesizer();
    ClipboardPasteboard toolkitClipboard;
    Pasteboard &clipboard = desktopBackend->pasteboard() ? *desktopBackend->pasteboard() : toolkitClipboard;
    TextInserter inserter(clipboard, keys);
    DesktopPermissions permissions({}, accessibilityTrust(keys));

    AppServices services;
    services.notifications = &notifications;
    services.engine = &engine;
    services.hotkeys = &hotkeys;
    services.inserter = &inserter;
    services.pasteboard = &clipboard;
    services.permissions = &permissions;
    services.meetingInput = [] { return std::make_unique<PulseAudioInput>(); };
    services.meetingRecognizers = recognizers;
    AppState appState(*settings, clock, services, dataFolder);
    state = &appState;
    watchdog.onExpired = [&appState] {
        if (!appState.isDictating())
            return;
        printDiagnostic(u"[Shell] Push-to-talk held too long without a release: stopped"_qs);
        appState.stopDictation();
    };
    QObject::connect(&appState, &AppState::isDictatingChanged, &appState, [&appState, &watchdog] {
        if (!appState.isDictating())
            watchdog.disarm();
    });

    // A dictation's freed memory goes back to the system once the text is in place.
    QTimer memoryRelease;
    memoryRelease.setSingleShot(true);
    memoryRelease.setInterval(std::chrono::seconds(1));
    QObject::connect(&memoryRelease, &QTimer::timeout, &releaseFreedMemory);
    QObject::connect(&appState, &AppState::processed, &memoryRelease, qOverload<>(&QTimer::start));

    DesktopShell desktop(appState);
    shell = &desktop;
    desktop.dataWindows().setDesktopAccess(
        {[backend = desktopBackend.get()] { return backend->capabilities(); }, {}});
    desktop.start();
    printDiagnostic(desktop.hasTray() ? u"[Shell] Ready in the tray"_qs
                                      : u"[Shell] Ready in a window (no tray)"_qs);

    QTimer::singleShot(0, &appState, [&appState, &recognizers] {
        appState.bootstrap();
        // Loads the speech model in the background, so the first dictation does not wait for it.
        if (!recognizers(QLocale::system().name()))
            recognizers(u"en_US"_qs);
    });
    // Logging out ends the app with SIGTERM: quit normally, so pending saves are written.
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &app, &QCoreApplication::quit);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &appState, [&appState] { appState.flush(); });
    // Losing the X server ends the app through its event loop, with status 1.
    X11DisplayLoss::setReaction([&app] {
        QMetaObject::invokeMethod(
            &app,
            [] {
                printDiagnostic(u"[Shell] The display went away"_qs);
                QCoreApplication::exit(1);
            },
            Qt::QueuedConnection);
    });
    const ExitGuard exitGuard([&appState] { appState.flush(); });
    return QApplication::exec();
}
