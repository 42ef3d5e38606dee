#include "app/CommandDeckController.h"

#include "app/AppState.h"
#include "app/DeckPanel.h"
#include "app/OpenWindowBridge.h"
#include "planning/FocusCoachStore.h"
#include "planning/FocusHud.h"

namespace {

std::optional<QString> selectionBanner(DeckMode mode)
{
    switch (mode) {
    case DeckMode::Dictate:
        return u"Hold Right Alt to dictate into the frontmost app"_qs;
    case DeckMode::Capture:
        return u"Hold Right Alt and dump your plans — I’ll structure them"_qs;
    case DeckMode::Focus:
        return u"Hold Right Alt — say today’s goal and the steps"_qs;
    case DeckMode::Briefing:
        return u"Hold Right Alt — dump tomorrow’s plan (morning card awaits)"_qs;
    case DeckMode::Meeting:
    case DeckMode::Tasks:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

CommandDeckController::CommandDeckController(AppState &app, OpenWindowBridge &windows, QObject *parent)
    : QObject(parent), m_app(app), m_windows(windows)
{}

QString CommandDeckController::captureBanner(qsizetype taskCount)
{
    if (taskCount == 0)
        return u"Didn’t catch any tasks — try again"_qs;
    return u"Captured "_qs + QString::number(taskCount) + (taskCount == 1 ? u" task"_qs : u" tasks"_qs) +
           u" · reminders set"_qs;
}

void CommandDeckController::setMode(DeckMode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    emit modeChanged();
}

void CommandDeckController::setBanner(const std::optional<QString> &banner)
{
    if (m_banner == banner)
        return;
    m_banner = banner;
    emit bannerChanged();
}

void CommandDeckController::setVisible(bool visible)
{
    if (m_isVisible == visible)
        return;
    m_isVisible = visible;
    emit isVisibleChanged();
}

void CommandDeckController::toggle()
{
    if (m_isVisible)
        hide();
    else
        show();
}

void CommandDeckController::show()
{
    if (m_panel)
        m_panel->show();
    setVisible(true);
}

void CommandDeckController::hide()
{
    if (m_panel)
        m_panel->hide();
    setVisible(false);
}

void CommandDeckController::select(DeckMode mode)
{
    setMode(mode);
    setBanner(std::nullopt);
    if (const std::optional<VoiceMode> voiceMode = voiceModeOf(mode)) {
        m_app.setVoiceMode(*voiceMode);
        setBanner(selectionBanner(mode));
        if (mode == DeckMode::Focus && m_app.focusCoach().session() && m_app.focusHud())
            m_app.focusHud()->show();
    } else {
        hide();
        if (mode == DeckMode::Meeting)
            m_windows.requestMeeting();
        else
            m_windows.requestTasks();
    }
}

void CommandDeckController::presentCapture(const QList<DictraTask> &tasks)
{
    m_lastCaptured = tasks;
    emit lastCapturedChanged();
    setMode(DeckMode::Capture);
    setBanner(captureBanner(tasks.size()));
    show();
}
