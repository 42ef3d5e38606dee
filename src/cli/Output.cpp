#include "cli/Output.h"

#include <QTextStream>

QByteArray withLatency(QByteArray resultObject, qint64 latencyMs)
{
    resultObject.chop(1); // reopen the object
    return resultObject + ",\"latencyMs\":" + QByteArray::number(latencyMs) + '}';
}

bool allSaved(AppState &state, QTextStream &err)
{
    const QStringList failures = state.flush();
    for (const QString &failure : failures)
        err << "dictrava-cli: " << failure << '\n';
    return failures.isEmpty();
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
