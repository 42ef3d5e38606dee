#pragma once

#include "core/Timestamp.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// One thing to do on a briefing card.
struct BriefingItem
{
    QUuid id;
    QString title;
    QStringList people;
    std::optional<Timestamp> dueAt;
    bool isDone = false;
    // Dealt with on the card: ticked, unticked, or listed on a card the user acknowledged.
    bool isTouched = false;

    QByteArray toJson() const;
    static std::optional<BriefingItem> fromJson(const QJsonValue &value);

    friend bool operator==(const BriefingItem &, const BriefingItem &) = default;
};

size_t qHash(const BriefingItem &item, size_t seed = 0);

// The plan for one day, gathered from the night dumps spoken for it.
struct DayBriefing
{
    QString dayKey;
    QList<BriefingItem> items;
    // Every dump for the day, joined by a line feed.
    QString rawTranscript;
    Timestamp createdAt;
    bool morningShown = false;
    bool middayShown = false;

    QByteArray toJson() const;
    static std::optional<DayBriefing> fromJson(const QJsonValue &value);

    friend bool operator==(const DayBriefing &, const DayBriefing &) = default;
};

size_t qHash(const DayBriefing &briefing, size_t seed = 0);
