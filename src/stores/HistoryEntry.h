#pragma once

#include "core/Timestamp.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// The final text of one dictation as delivered, and when it was added.
struct HistoryEntry
{
    QUuid id;
    QString text;
    Timestamp date;

    QByteArray toJson() const;
    static std::optional<HistoryEntry> fromJson(const QJsonValue &value);

    friend bool operator==(const HistoryEntry &, const HistoryEntry &) = default;
};
