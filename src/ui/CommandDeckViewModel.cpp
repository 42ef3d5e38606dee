#include "ui/CommandDeckViewModel.h"

#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "planning/BriefingStore.h"
#include "planning/FocusCoachStore.h"
#include "planning/FocusHud.h"
#include "planning/TaskStore.h"
#include "ui/MenuBarRows.h"

#include <algorithm>

namespace {

QString readyLine(VoiceMode mode)
{
    switch (mode) {
    case VoiceMode::Dictate:
        return u"Dictate ready — text goes to your cursor"_qs;
    case VoiceMode::Capture:
        return u"Capture ready — dump tomorrow’s chaos"_qs;
    case VoiceMode::Focus:
        return u"Focus ready — North Star + milestones"_qs;
    case VoiceMode::Briefing:
        return u"Briefing ready — plan tomorrow tonight"_qs;
    }
    return {};
}

QStringList taskLines(const QList<DictraTask> &tasks)
{
    QStringList lines;
    for (const DictraTask &task :
         tasks.first(std::min<qsizetype>(tasks.size(), CommandDeckViewModel::kTasksShown)))
        lines << u"• "_qs + task.title;
    return lines;
}

} // namespace

CommandDeckViewModel::CommandDeckViewModel(AppState &app, CommandDeckController &deck, QObject *parent)
    : QObject(parent), m_app(app), m_deck(deck)
{
    connect(&deck, &CommandDeckController::modeChanged, this, &CommandDeckViewModel::modeChanged);
    connect(&app, &AppState::isDictatingChanged, this, &CommandDeckViewModel::isDictatingChanged);

    for (const auto signal :
         {&AppState::isDictatingChanged, &AppState::liveTranscriptChanged, &AppState::voiceModeChanged})
        connect(&app, signal, this, &CommandDeckViewModel::updateStatus);
    connect(&deck, &CommandDeckController::bannerChanged, this, &CommandDeckViewModel::updateStatus);

    for (const auto signal :
         {&CommandDeckController::modeChanged, &CommandDeckController::lastCapturedChanged,
          &CommandDeckController::isVisibleChanged}) // "today" may have moved on
        connect(&deck, signal, this, &CommandDeckViewModel::updatePanel);
    connect(&app.taskStore(), &TaskStore::tasksChanged, this, &CommandDeckViewModel::updatePanel);
    connect(&app.focusCoach(), &FocusCoachStore::sessionChanged, this, &CommandDeckViewModel::updatePanel);
    connect(&app.briefingStore(), &BriefingStore::briefingsChanged, this, &CommandDeckViewModel::updatePanel);

    connect(&app, &AppState::voiceModeChanged, this, &CommandDeckViewModel::updateFooter);
    connect(&app.taskStore(), &TaskStore::tasksChanged, this, &CommandDeckViewModel::updateFooter);
    connect(&app.focusCoach(), &FocusCoachStore::sessionChanged, this, &CommandDeckViewModel::updateFooter);

    updateStatus();
    updatePanel();
    updateFooter();
}

QString CommandDeckViewModel::title()
{
    return u"Dictra Command Deck"_qs;
}

QString CommandDeckViewModel::hint()
{
    return u"Ctrl+Space · pick a mode · hold Right Alt to speak"_qs;
}

QVariantList CommandDeckViewModel::tiles()
{
    QVariantList tiles;
    for (const DeckModeInfo &mode : allDeckModes())
        tiles << QVariantMap{{u"mode"_qs, mode.raw},
                             {u"title"_qs, mode.title},
                             {u"symbol"_qs, mode.symbol},
                             {u"subtitle"_qs, mode.subtitle}};
    return tiles;
}

QString CommandDeckViewModel::mode() const
{
    return m_deck.modeRaw();
}

bool CommandDeckViewModel::isDictating() const
{
    return m_app.isDictating();
}

void CommandDeckViewModel::updateStatus()
{
    StatusKind kind = StatusKind::Ready;
    QString text = readyLine(m_app.voiceMode());
    if (m_app.isDictating() && !m_app.liveTranscript().isEmpty()) {
        kind = StatusKind::Transcript;
        text = m_app.liveTranscript();
    } else if (m_deck.hasBanner()) {
        kind = StatusKind::Banner;
        text = m_deck.bannerText();
    }
    if (kind == m_statusKind && text == m_statusText)
        return;
    m_statusKind = kind;
    m_statusText = text;
    emit statusChanged();
}

void CommandDeckViewModel::updatePanel()
{
    Panel panel;
    switch (m_deck.mode()) {
    case DeckMode::Focus:
        panel = focusPanel();
        break;
    case DeckMode::Briefing:
        panel = briefingPanel();
        break;
    default:
        panel = tasksPanel();
        break;
    }
    if (panel == m_panel)
        return;
    m_panel = panel;
    emit panelChanged();
}

CommandDeckViewModel::Panel CommandDeckViewModel::focusPanel() const
{
    const std::optional<FocusSession> &session = m_app.focusCoach().session();
    if (!session)
        return {};
    Panel panel{PanelKind::Focus, u"Today’s North Star"_qs, session->northStar, {}, {}, false};
    for (const FocusMilestone &milestone :
         session->milestones.first(std::min<qsizetype>(session->milestones.size(), kMilestonesShown)))
        panel.milestones << QVariantMap{{u"title"_qs, milestone.title}, {u"done"_qs, milestone.isDone}};
    return panel;
}

CommandDeckViewModel::Panel CommandDeckViewModel::briefingPanel() const
{
    const BriefingStore &store = m_app.briefingStore();
    const std::optional<DayBriefing> tomorrow = store.tomorrow();
    const std::optional<DayBriefing> today = store.today();
    Panel panel{PanelKind::Briefing, u"Briefing"_qs, {}, {}, {}, tomorrow || today};
    if (tomorrow)
        panel.lines << u"Tomorrow · "_qs + QString::number(tomorrow->items.size()) + u" items"_qs;
    if (today) {
        const auto open = std::count_if(today->items.cbegin(), today->items.cend(),
                                        [](const BriefingItem &item) { return !item.isDone; });
        panel.lines << u"Today · "_qs + QString::number(open) + u" open"_qs;
    }
    return panel;
}

CommandDeckViewModel::Panel CommandDeckViewModel::tasksPanel() const
{
    if (!m_deck.lastCaptured().isEmpty())
        return {PanelKind::Tasks, u"Just captured"_qs, {}, {}, taskLines(m_deck.lastCaptured()), false};
    const QList<DictraTask> upcoming = m_app.taskStore().upcoming();
    if (!upcoming.isEmpty())
        return {PanelKind::Tasks, u"Up next"_qs, {}, {}, taskLines(upcoming), false};
    return {};
}

void CommandDeckViewModel::updateFooter()
{
    const FocusCoachStore &coach = m_app.focusCoach();
    Footer footer{u"Mode: "_qs + m_app.voiceModeRaw(),
                  coach.session()
                      ? u"Focus "_qs + QString::number(MenuBarRows::percentOf(coach.progress())) + u'%'
                      : QString(),
                  QString::number(m_app.taskStore().openTasks().size()) + u" open"_qs};
    if (footer == m_footer)
        return;
    m_footer = footer;
    emit footerChanged();
}

void CommandDeckViewModel::select(const QString &mode)
{
    if (const std::optional<DeckMode> deckMode = deckModeFromRaw(mode))
        m_deck.select(*deckMode);
}

void CommandDeckViewModel::close()
{
    m_deck.hide();
}

void CommandDeckViewModel::showHud()
{
    if (FocusHud *hud = m_app.focusHud())
        hud->show();
}

void CommandDeckViewModel::clearFocus()
{
    m_app.focusCoach().clear();
}

void CommandDeckViewModel::showBriefingCard()
{
    m_app.briefingStore().showTodayNow();
}
