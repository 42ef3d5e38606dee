#pragma once

#include "core/Timestamp.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// One step towards the day's North Star.
struct FocusMilestone
{
    QUuid id;
    QString title;
    bool isDone = false;

    // A new, open milestone with a fresh id.
    static FocusMilestone make(const QString &title);

    QByteArray toJson() const;
    static std::optional<FocusMilestone> fromJson(const QJsonValue &value);

    friend bool operator==(const FocusMilestone &, const FocusMilestone &) = default;
};

size_t qHash(const FocusMilestone &milestone, size_t seed = 0);

// The day's focus: one goal and the milestones that lead to it, in spoken order.
struct FocusSession
{
    QString northStar;
    QList<FocusMilestone> milestones;
    // No value means "the first milestone that is not done".
    std::optional<QUuid> activeMilestoneID;
    Timestamp startedAt;
    QString dayKey;
    std::optional<Timestamp> consciousSwitchAt;
    std::optional<Timestamp> lastNudgeAt;

    // The milestone being worked on. An id that names no milestone gives none rather than a
    // guess, so a stale id never points the coach at the wrong step.
    std::optional<FocusMilestone> activeMilestone() const;
    // The first milestone in list order that is not done.
    std::optional<FocusMilestone> firstOpenMilestone() const;
    // Share of milestones done, 0 to 1; 0 when there are none.
    double progress() const;

    QByteArray toJson() const;
    static std::optional<FocusSession> fromJson(const QJsonValue &value);

    friend bool operator==(const FocusSession &, const FocusSession &) = default;
};

size_t qHash(const FocusSession &session, size_t seed = 0);
