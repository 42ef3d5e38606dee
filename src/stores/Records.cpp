#include "core/Json.h"
#include "stores/DictionaryEntry.h"
#include "stores/HistoryEntry.h"
#include "stores/Snippet.h"

QByteArray DictionaryEntry::toJson() const
{
    return JsonObjectWriter().add("id", id).add("spoken", spoken).add("written", written).finish();
}

std::optional<DictionaryEntry> DictionaryEntry::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    DictionaryEntry entry{reader.uuid("id"), reader.string("spoken"), reader.string("written")};
    if (!reader.ok())
        return std::nullopt;
    return entry;
}

QByteArray Snippet::toJson() const
{
    return JsonObjectWriter().add("id", id).add("cue", cue).add("content", content).finish();
}

std::optional<Snippet> Snippet::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    Snippet snippet{reader.uuid("id"), reader.string("cue"), reader.string("content")};
    if (!reader.ok())
        return std::nullopt;
    return snippet;
}

QByteArray HistoryEntry::toJson() const
{
    return JsonObjectWriter().add("id", id).add("text", text).add("date", date).finish();
}

std::optional<HistoryEntry> HistoryEntry::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    HistoryEntry entry{reader.uuid("id"), reader.string("text"), reader.timestamp("date")};
    if (!reader.ok())
        return std::nullopt;
    return entry;
}
