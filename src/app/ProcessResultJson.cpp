#include "app/ProcessResultJson.h"

#include "core/Json.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray resultJson(const ProcessResult &result, VoiceMode mode)
{
    JsonObjectWriter json;
    json.add("raw", result.raw)
        .add("text", result.text)
        .add("status", result.status)
        .add("complete", result.complete);
    if (mode == VoiceMode::Capture)
        json.addEncoded("tasks", Json::encodeList(result.tasks));
    if (mode == VoiceMode::Focus && result.session)
        json.addEncoded("session", result.session->toJson());
    if (mode == VoiceMode::Briefing && result.briefing)
        json.addEncoded("briefing", result.briefing->toJson());
    return json.finish();
}

std::optional<ProcessResult> resultFromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    JsonObjectReader reader(object);
    ProcessResult result;
    result.raw = reader.string("raw");
    result.text = reader.string("text");
    result.status = reader.string("status");
    result.complete = object.value(u"complete"_qs).toBool(true);
    if (!reader.ok())
        return std::nullopt;
    if (object.contains(u"tasks"_qs)) {
        std::optional<QList<DictraTask>> tasks =
            Json::decodeList<DictraTask>(object.value(u"tasks"_qs).toArray());
        if (!tasks)
            return std::nullopt;
        result.tasks = std::move(*tasks);
    }
    if (object.contains(u"session"_qs)) {
        result.session = FocusSession::fromJson(object.value(u"session"_qs));
        if (!result.session)
            return std::nullopt;
    }
    if (object.contains(u"briefing"_qs)) {
        result.briefing = DayBriefing::fromJson(object.value(u"briefing"_qs));
        if (!result.briefing)
            return std::nullopt;
    }
    return result;
}
