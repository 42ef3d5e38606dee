#include "planning/FocusSession.h"

#include "core/Json.h"

#include <algorithm>

namespace {

size_t hashTimestamp(const std::optional<Timestamp> &moment, size_t seed)
{
    return moment ? qHash(moment->secondsSinceReference, seed) : seed;
}

} // namespace

FocusMilestone FocusMilestone::make(const QString &title)
{
    return FocusMilestone{QUuid::createUuid(), title, false};
}

QByteArray FocusMilestone::toJson() const
{
    return JsonObjectWriter().add("id", id).add("title", title).add("isDone", isDone).finish();
}

std::optional<FocusMilestone> FocusMilestone::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    FocusMilestone milestone{reader.uuid("id"), reader.string("title"), reader.boolean("isDone")};
    if (!reader.ok())
        return std::nullopt;
    return milestone;
}

size_t qHash(const FocusMilestone &milestone, size_t seed)
{
    return qHashMulti(seed, milestone.id, milestone.title, milestone.isDone);
}

std::optional<FocusMilestone> FocusSession::activeMilestone() const
{
    if (!activeMilestoneID)
        return firstOpenMilestone();
    const auto found = std::find_if(milestones.cbegin(), milestones.cend(),
                                    [&](const FocusMilestone &m) { return m.id == *activeMilestoneID; });
    if (found == milestones.cend())
        return std::nullopt;
    return *found;
}

std::optional<FocusMilestone> FocusSession::firstOpenMilestone() const
{
    const auto found = std::find_if(milestones.cbegin(), milestones.cend(),
                                    [](const FocusMilestone &m) { return !m.isDone; });
    if (found == milestones.cend())
        return std::nullopt;
    return *found;
}

double FocusSession::progress() const
{
    if (milestones.isEmpty())
        return 0.0;
    const auto done = std::count_if(milestones.cbegin(), milestones.cend(),
                                    [](const FocusMilestone &m) { return m.isDone; });
    return static_cast<double>(done) / static_cast<double>(milestones.size());
}

QByteArray FocusSession::toJson() const
{
    return JsonObjectWriter()
        .add("northStar", northStar)
        .addEncoded("milestones", Json::encodeList(milestones))
        .add("activeMilestoneID", activeMilestoneID)
        .add("startedAt", startedAt)
        .add("dayKey", dayKey)
        .add("consciousSwitchAt", consciousSwitchAt)
        .add("lastNudgeAt", lastNudgeAt)
        .finish();
}

std::optional<FocusSession> FocusSession::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    FocusSession session;
    session.northStar = reader.string("northStar");
    const std::optional<QList<FocusMilestone>> milestones =
        Json::decodeList<FocusMilestone>(reader.array("milestones"));
    session.activeMilestoneID = reader.optionalUuid("activeMilestoneID");
    session.startedAt = reader.timestamp("startedAt");
    session.dayKey = reader.string("dayKey");
    session.consciousSwitchAt = reader.optionalTimestamp("consciousSwitchAt");
    session.lastNudgeAt = reader.optionalTimestamp("lastNudgeAt");
    if (!reader.ok() || !milestones)
        return std::nullopt;
    session.milestones = *milestones;
    return session;
}

size_t qHash(const FocusSession &session, size_t seed)
{
    seed = qHashMulti(seed, session.northStar, session.startedAt.secondsSinceReference, session.dayKey);
    seed = qHashRange(session.milestones.cbegin(), session.milestones.cend(), seed);
    seed = qHash(session.activeMilestoneID.value_or(QUuid()), seed);
    seed = hashTimestamp(session.consciousSwitchAt, seed);
    return hashTimestamp(session.lastNudgeAt, seed);
}
