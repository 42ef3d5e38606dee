#include "cli/Output.h"

#include "core/Json.h"

#include <QTextStream>

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
