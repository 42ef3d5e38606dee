// dictrava-cli: the app's pipelines without a desktop. Text in, the app's result out, over the
// user's own data folder and settings.
#include "app/AppState.h"
#include "app/LocalNotificationCenter.h"
#include "app/Settings.h"
#include "cli/TerminalDelivery.h"
#include "core/Clock.h"
#include "core/Json.h"
#include "platform/DBusNotificationClient.h"
#include "stores/DataFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

constexpr int kUsageError = 2;

QByteArray resultJson(const ProcessResult &result, VoiceMode mode)
{
    JsonObjectWriter json;
    json.add("raw", result.raw).add("text", result.text).add("status", result.status);
    if (mode == VoiceMode::Capture)
        json.addEncoded("tasks", Json::encodeList(result.tasks));
    if (mode == VoiceMode::Focus && result.session)
        json.addEncoded("session", result.session->toJson());
    if (mode == VoiceMode::Briefing && result.briefing)
        json.addEncoded("briefing", result.briefing->toJson());
    return json.finish();
}

QString describe(const std::optional<Timestamp> &moment)
{
    return moment ? moment->toDateTime().toLocalTime().toString(u"ddd yyyy-MM-dd HH:mm"_qs) : u"—"_qs;
}

void printReadable(QTextStream &out, const ProcessResult &result)
{
    out << result.text << '\n';
    for (const DictraTask &task : result.tasks) {
        out << "  task: " << task.title << " · due " << describe(task.dueAt) << " · reminder "
            << describe(task.remindAt);
        if (!task.people.isEmpty())
            out << " · with " << task.people.join(u", "_qs);
        out << '\n';
    }
    if (result.session) {
        out << "  north star: " << result.session->northStar << '\n';
        for (const FocusMilestone &milestone : result.session->milestones)
            out << "  milestone: " << milestone.title << '\n';
    }
    if (result.briefing)
        out << "  briefing for " << result.briefing->dayKey << ": " << result.briefing->items.size()
            << " items\n";
    out << "[Status] " << result.status << '\n';
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
    options.setApplicationDescription(u"Runs Dictrava's processing for a voice mode over a transcript."_qs);
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(u"mode"_qs, u"dictate, capture, focus or briefing"_qs);
    const QCommandLineOption textOption(u"text"_qs, u"The raw transcript."_qs, u"TEXT"_qs);
    const QCommandLineOption nowOption(u"now"_qs, u"Run as if it were this local time."_qs,
                                       u"YYYY-MM-DDTHH:MM[:SS]"_qs);
    const QCommandLineOption jsonOption(u"json"_qs, u"Print one JSON object."_qs);
    options.addOptions({textOption, nowOption, jsonOption});
    options.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList positional = options.positionalArguments();
    const std::optional<VoiceMode> mode = voiceModeFromRaw(positional.value(0));
    if (positional.size() != 1 || !mode || !options.isSet(textOption)) {
        err << "usage: dictrava-cli (dictate|capture|focus|briefing) --text TEXT [--now "
               "YYYY-MM-DDTHH:MM[:SS]] "
               "[--json]\n";
        return kUsageError;
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
    const QString dataFolder = DataFolder::defaultPath();
    DBusNotificationClient desktopNotifications;
    LocalNotificationCenter notifications(*clock, desktopNotifications, dataFolder);
    TerminalDelivery terminal;
    AppServices services;
    services.notifications = &notifications;
    services.inserter = &terminal;
    services.pasteboard = &terminal;
    services.permissions = &terminal;

    AppState state(*settings, *clock, services, dataFolder);
    const ProcessResult result = state.process(options.value(textOption), *mode);
    state.flush();

    if (options.isSet(jsonOption))
        out << QString::fromUtf8(resultJson(result, *mode)) << '\n';
    else
        printReadable(out, result);
    return 0;
}
