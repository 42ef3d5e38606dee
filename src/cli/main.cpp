// dictrava-cli: the cleaning and planning pipelines without a desktop.
#include "core/Clock.h"
#include "dictation/TextCleaner.h"
#include "planning/FocusParser.h"
#include "planning/TaskParser.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

QString cleaned(const QString &raw, bool dictate)
{
    QString text = TextCleaner::stripFillers(TextCleaner::coalesce(raw));
    text = TextCleaner::capitalize(text);
    return dictate ? TextCleaner::punctuate(text) : text;
}

QString formatted(const std::optional<Timestamp> &moment)
{
    return moment ? moment->toDateTime().toLocalTime().toString(QStringLiteral("ddd yyyy-MM-dd HH:mm"))
                  : QStringLiteral("—");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Dictrava"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DICTRAVA_VERSION));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Cleans a dictation and reads a spoken plan."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("dictate, capture or focus"));
    const QCommandLineOption textOption(QStringLiteral("text"), QStringLiteral("The transcript."),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption nowOption(QStringLiteral("now"), QStringLiteral("Pretend it is this moment."),
                                       QStringLiteral("YYYY-MM-DDTHH:MM[:SS]"));
    options.addOption(textOption);
    options.addOption(nowOption);
    options.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList positional = options.positionalArguments();
    const QString mode = positional.value(0);
    if (positional.size() != 1 || !QStringList{u"dictate"_qs, u"capture"_qs, u"focus"_qs}.contains(mode) ||
        !options.isSet(textOption)) {
        err << "usage: dictrava-cli (dictate|capture|focus) --text TEXT [--now YYYY-MM-DDTHH:MM]\n";
        return 2;
    }

    ManualClock clock;
    if (options.isSet(nowOption)) {
        const QDateTime now = QDateTime::fromString(options.value(nowOption), Qt::ISODate);
        if (!now.isValid()) {
            err << "dictrava-cli: --now wants YYYY-MM-DDTHH:MM[:SS], got " << options.value(nowOption)
                << '\n';
            return 2;
        }
        clock.set(now);
    }

    const QString text = cleaned(options.value(textOption), mode == u"dictate"_qs);
    out << "text: " << text << '\n';
    if (mode == u"capture"_qs) {
        for (const DictraTask &task :
             TaskParser().parse(text, TaskParser::kDefaultReminderLeadHours, clock)) {
            out << "task: " << task.title << " | due " << formatted(task.dueAt) << " | reminder "
                << formatted(task.remindAt);
            if (!task.people.isEmpty())
                out << " | with " << task.people.join(u", "_qs);
            out << '\n';
        }
    } else if (mode == u"focus"_qs) {
        const FocusParser::Result focus = FocusParser::parse(text);
        out << "north star: " << focus.northStar << '\n';
        for (const FocusMilestone &milestone : focus.milestones)
            out << "milestone: " << milestone.title << '\n';
    }
    return 0;
}
