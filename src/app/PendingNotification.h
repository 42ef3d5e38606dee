#pragma once

#include "core/Timestamp.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <optional>

// A notification waiting for its moment, as kept in notifications.json.
struct PendingNotification
{
    QString identifier;
    QString title;
    QString body;
    bool defaultSound = true;
    Timestamp fireAt;

    QByteArray toJson() const;
    static std::optional<PendingNotification> fromJson(const QJsonValue &value);

    friend bool operator==(const PendingNotification &, const PendingNotification &) = default;
};
