#include "ui/FocusHUDViewModel.h"

#include "planning/FocusCoachStore.h"

#include <algorithm>

FocusHUDViewModel::FocusHUDViewModel(FocusCoachStore &coach, std::function<void()> onClose, QObject *parent)
    : QObject(parent), m_coach(coach), m_onClose(std::move(onClose))
{
    connect(&coach, &FocusCoachStore::sessionChanged, this, &FocusHUDViewModel::changed);
    connect(&coach, &FocusCoachStore::driftMessageChanged, this, &FocusHUDViewModel::driftMessageChanged);
}

bool FocusHUDViewModel::hasSession() const
{
    return m_coach.session().has_value();
}

QString FocusHUDViewModel::emptyText()
{
    return u"No focus set — use Command Deck → Focus"_qs;
}

QString FocusHUDViewModel::northStar() const
{
    return m_coach.session() ? m_coach.session()->northStar : QString();
}

double FocusHUDViewModel::progress() const
{
    return m_coach.progress();
}

QString FocusHUDViewModel::nowLine() const
{
    if (!hasSession())
        return {};
    const std::optional<FocusMilestone> active = m_coach.activeMilestone();
    return active ? u"Now: "_qs + active->title : u"All milestones done ✨"_qs;
}

bool FocusHUDViewModel::canTickOff() const
{
    return m_coach.activeMilestone().has_value();
}

QString FocusHUDViewModel::driftMessage() const
{
    return m_coach.driftMessage().value_or(QString());
}

QString FocusHUDViewModel::count() const
{
    if (!hasSession())
        return {};
    const QList<FocusMilestone> &milestones = m_coach.session()->milestones;
    const auto done = std::count_if(milestones.cbegin(), milestones.cend(),
                                    [](const FocusMilestone &milestone) { return milestone.isDone; });
    return QString::number(done) + u'/' + QString::number(milestones.size());
}

void FocusHUDViewModel::done()
{
    if (const std::optional<FocusMilestone> active = m_coach.activeMilestone())
        m_coach.toggleMilestone(active->id);
}

void FocusHUDViewModel::switchOk()
{
    m_coach.allowSwitch();
}

void FocusHUDViewModel::close()
{
    if (m_onClose)
        m_onClose();
    m_coach.setHudVisible(false);
}
