#include "planning/DayBriefing.h"

#include "core/Json.h"

QByteArray BriefingItem::toJson() const
{
    return JsonObjectWriter()
        .add("id", id)
        .add("title", title)
        .add("people", people)
        .add("dueAt", dueAt)
        .add("isDone", isDone)
        .add("isTouched", isTouched)
        .finish();
}

std::optional<BriefingItem> BriefingItem::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    BriefingItem item;
    item.id = reader.uuid("id");
    item.title = reader.string("title");
    item.people = reader.stringList("people");
    item.dueAt = reader.optionalTimestamp("dueAt");
    item.isDone = reader.boolean("isDone");
    item.isTouched = reader.boolean("isTouched");
    if (!reader.ok())
        return std::nullopt;
    return item;
}

size_t qHash(const BriefingItem &item, size_t seed)
{
    seed = qHashMulti(seed, item.id, item.title, item.people, item.isDone, item.isTouched);
    return item.dueAt ? qHash(item.dueAt->secondsSinceReference, seed) : seed;
}

QByteArray DayBriefing::toJson() const
{
    return JsonObjectWriter()
        .add("dayKey", dayKey)
        .addEncoded("items", Json::encodeList(items))
        .add("rawTranscript", rawTranscript)
        .add("createdAt", createdAt)
        .add("morningShown", morningShown)
        .add("middayShown", middayShown)
        .finish();
}

std::optional<DayBriefing> DayBriefing::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    DayBriefing briefing;
    briefing.dayKey = reader.string("dayKey");
    const std::optional<QList<BriefingItem>> items = Json::decodeList<BriefingItem>(reader.array("items"));
    briefing.rawTranscript = reader.string("rawTranscript");
    briefing.createdAt = reader.timestamp("createdAt");
    briefing.morningShown = reader.boolean("morningShown");
    briefing.middayShown = reader.boolean("middayShown");
    if (!reader.ok() || !items)
        return std::nullopt;
    briefing.items = *items;
    return briefing;
}

size_t qHash(const DayBriefing &briefing, size_t seed)
{
    seed = qHashMulti(seed, briefing.dayKey, briefing.rawTranscript, briefing.createdAt.secondsSinceReference,
                      briefing.morningShown, briefing.middayShown);
    return qHashRange(briefing.items.cbegin(), briefing.items.cend(), seed);
}
