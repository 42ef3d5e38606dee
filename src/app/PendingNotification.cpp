#include "app/PendingNotification.h"

#include "core/Json.h"

QByteArray PendingNotification::toJson() const
{
    return JsonObjectWriter()
        .add("identifier", identifier)
        .add("title", title)
        .add("body", body)
        .add("defaultSound", defaultSound)
        .add("fireAt", fireAt)
        .finish();
}

std::optional<PendingNotification> PendingNotification::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    PendingNotification pending{reader.string("identifier"), reader.string("title"), reader.string("body"),
                                reader.boolean("defaultSound"), reader.timestamp("fireAt")};
    if (!reader.ok())
        return std::nullopt;
    return pending;
}
