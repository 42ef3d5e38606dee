// dictrava: the desktop app. Hold Right Alt in any application, speak, release.
#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "app/DesktopPermissions.h"
#include "app/LocalNotificationCenter.h"
#include "app/ProcessResultJson.h"
#include "app/Settings.h"
#include "core/Clock.h"
#include "core/Diagnostics.h"
#include "core/Json.h"
#include "dictation/DictationEngine.h"
#include "dictation/HotkeyManager.h"
#include "dictation/TextInserter.h"
#include "platform/DBusControlClient.h"
#include "platform/DBusControlService.h"
#include "platform/DBusNotificationClient.h"
#include "platform/KeySynthesizer.h"
#include "platform/MemoryTuning.h"
#include "platform/PocketSphinxRecognizer.h"
#include "platform/PulseAudioInput.h"
#include "platform/TerminationSignals.h"
#include "platform/X11KeyboardMonitor.h"
#include "platform/XTestKeySynthesizer.h"
#include "stores/DataFolder.h"
#include "ui/ClipboardPasteboard.h"
#include "ui/DesktopShell.h"
#include "ui/LocalKeyMonitor.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(DictravaPlugin)

namespace {

// What the control interface does, once the app state and the shell exist.
DBusControlService::Handlers controlHandlers(AppState *&state, DesktopShell *&shell,
                                             const QString &dataFolder)
{
    DBusControlService::Handlers handlers;
    handlers.dataFolder = dataFolder;
    handlers.activate = [&shell] {
        if (!shell)
            return;
        printDiagnostic(u"[Shell] Activated over D-Bus"_qs);
        shell->activate();
    };
    handlers.startDictation = [&state] {
        if (state)
            state->startDictation();
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
            return QByteArray();
        return resultJson(state->process(text, *mode), *mode);
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

} // namespace

int main(int argc, char *argv[])
{
    limitMallocArenas();
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Dictrava"_qs);
    QApplication::setApplicationVersion(QStringLiteral(DICTRAVA_VERSION));
    QApplication::setDesktopFileName(u"dictrava"_qs);
    QApplication::setWindowIcon(QIcon(u":/Dictrava/dictrava.svg"_qs));
    // The tray is the app: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString dataFolder = DataFolder::defaultPath();
    AppState *state = nullptr;
    DesktopShell *shell = nullptr;
    DBusControlService control(controlHandlers(state, shell, dataFolder));
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

    X11KeyboardMonitor everywhere;
    LocalKeyMonitor inOurWindows;
    HotkeyManager hotkeys(&everywhere, &inOurWindows);

    XTestKeySynthesizer keys;
    ClipboardPasteboard clipboard;
    TextInserter inserter(clipboard, keys);
    DesktopPermissions permissions({}, accessibilityTrust(keys));

    AppServices services;
    services.notifications = &notifications;
    services.engine = &engine;
    services.hotkeys = &hotkeys;
    services.inserter = &inserter;
    services.pasteboard = &clipboard;
    services.permissions = &permissions;
    AppState appState(*settings, clock, services, dataFolder);
    state = &appState;

    DesktopShell desktop(appState);
    shell = &desktop;
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
    return QApplication::exec();
}
