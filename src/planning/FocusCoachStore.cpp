#include "planning/FocusCoachStore.h"

#include "core/DayKey.h"
#include "core/Json.h"
#include "planning/FocusHud.h"
#include "planning/FocusParser.h"
#include "platform/NotificationCenter.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// A stored moment in the future (a clock that was set back) counts as "not long ago".
bool isWithin(const std::optional<Timestamp> &moment, const Timestamp &now, double seconds)
{
    return moment && now.secondsSinceReference - moment->secondsSinceReference < seconds;
}

} // namespace

FocusCoachStore::FocusCoachStore(const Clock &clock, NotificationCenter &notifications, const QString &folder,
                                 QObject *parent)
    : QObject(parent), m_clock(clock), m_notifications(notifications),
      m_store(u"focus-session.json"_s, folder)
{
    const QList<FocusSession> stored = m_store.load();
    if (!stored.isEmpty() && stored.first().dayKey == dayKey(m_clock.now())) {
        setSession(stored.first());
        m_hudVisible = true;
    } else {
        // Yesterday's focus is not today's: start the day without it.
        setSession(std::nullopt);
    }
}

void FocusCoachStore::setHudVisible(bool visible)
{
    if (m_hudVisible == visible)
        return;
    m_hudVisible = visible;
    emit hudVisibleChanged();
}

std::optional<FocusMilestone> FocusCoachStore::activeMilestone() const
{
    return m_session ? m_session->activeMilestone() : std::nullopt;
}

double FocusCoachStore::progress() const
{
    return m_session ? m_session->progress() : 0.0;
}

FocusSession FocusCoachStore::setFromSpeech(const QString &text)
{
    FocusParser::Result parsed = FocusParser::parse(text);
    const QDateTime now = m_clock.now();
    FocusSession session;
    session.northStar = parsed.northStar;
    session.milestones = parsed.milestones.isEmpty() ? FocusParser::defaultMilestones(parsed.northStar)
                                                     : std::move(parsed.milestones);
    session.activeMilestoneID = session.milestones.first().id;
    session.startedAt = Timestamp::fromDateTime(now);
    session.dayKey = dayKey(now);
    setSession(session);

    setDriftMessage(std::nullopt);
    showHud();
    notify(u"Focus locked"_s, session.northStar);
    return session;
}

void FocusCoachStore::toggleMilestone(const QUuid &id)
{
    if (!m_session)
        return;
    FocusSession session = *m_session;
    const auto milestone = std::find_if(session.milestones.begin(), session.milestones.end(),
                                        [&](const FocusMilestone &m) { return m.id == id; });
    if (milestone == session.milestones.end())
        return;
    milestone->isDone = !milestone->isDone;
    bool completed = false;
    if (!milestone->isDone) {
        session.activeMilestoneID = id;
    } else {
        const std::optional<FocusMilestone> next = session.firstOpenMilestone();
        session.activeMilestoneID = next ? std::optional<QUuid>(next->id) : std::nullopt;
        completed = !next;
        setDriftMessage(std::nullopt);
    }
    setSession(session);
    if (completed)
        notify(u"North Star complete"_s, u"You finished: "_s + session.northStar);
}

void FocusCoachStore::allowSwitch()
{
    if (!m_session)
        return;
    FocusSession session = *m_session;
    const Timestamp now = Timestamp::fromDateTime(m_clock.now());
    session.consciousSwitchAt = now;
    session.lastNudgeAt = now;
    setSession(session);
    setDriftMessage(std::nullopt);
}

void FocusCoachStore::noteActivity(const QString &kind)
{
    Q_UNUSED(kind)
    const std::optional<FocusMilestone> active = activeMilestone();
    if (!active || active->isDone) {
        setDriftMessage(std::nullopt);
        return;
    }
    const Timestamp now = Timestamp::fromDateTime(m_clock.now());
    if (isWithin(m_session->consciousSwitchAt, now, kSwitchQuietSeconds) ||
        isWithin(m_session->lastNudgeAt, now, kNudgeIntervalSeconds))
        return;

    FocusSession session = *m_session;
    session.lastNudgeAt = now;
    setSession(session);
    const QString message =
        u"You left “"_s + active->title + u"” unfinished — finish it, or consciously switch."_s;
    setDriftMessage(message);
    showHud();
    notify(u"Focus Coach"_s, message);
}

void FocusCoachStore::clear()
{
    setSession(std::nullopt);
    setDriftMessage(std::nullopt);
    setHudVisible(false);
    if (m_hud)
        m_hud->hide();
}

void FocusCoachStore::setSession(const std::optional<FocusSession> &session)
{
    m_session = session;
    emit sessionChanged();
    m_store.save(m_session ? QList<FocusSession>{*m_session} : QList<FocusSession>{});
}

void FocusCoachStore::setDriftMessage(const std::optional<QString> &message)
{
    if (m_driftMessage == message)
        return;
    m_driftMessage = message;
    emit driftMessageChanged();
}

void FocusCoachStore::showHud()
{
    setHudVisible(true);
    if (m_hud)
        m_hud->show();
}

void FocusCoachStore::notify(const QString &title, const QString &body)
{
    m_notifications.add(NotificationRequest{u"focus-"_s + Json::uuidString(QUuid::createUuid()), title, body,
                                            true, std::nullopt});
}
