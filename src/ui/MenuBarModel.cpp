#include "ui/MenuBarModel.h"

#include "app/AppState.h"
#include "core/Diagnostics.h"
#include "planning/CommandDeckController.h"
#include "planning/FocusCoachStore.h"
#include "planning/FocusHud.h"
#include "planning/TaskStore.h"
#include "ui/ShellWindows.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>

namespace {

QString listeningHintFor(VoiceMode mode)
{
    switch (mode) {
    case VoiceMode::Dictate:
        return u"Hold Alt — take your time"_qs;
    case VoiceMode::Capture:
        return u"Capturing tasks…"_qs;
    case VoiceMode::Focus:
        return u"Setting Focus…"_qs;
    case VoiceMode::Briefing:
        return u"Briefing dump…"_qs;
    }
    return {};
}

QString lastResultLabelFor(VoiceMode mode)
{
    switch (mode) {
    case VoiceMode::Dictate:
        return u"Last dictation"_qs;
    case VoiceMode::Capture:
        return u"Last capture"_qs;
    case VoiceMode::Focus:
        return u"Last focus set"_qs;
    case VoiceMode::Briefing:
        return u"Last briefing"_qs;
    }
    return {};
}

QVariantMap toVariant(const MenuBarRow &row)
{
    return {{u"action"_qs, row.action}, {u"title"_qs, row.title}, {u"symbol"_qs, row.symbol}};
}

// Rows whose action leaves the panel for something else; the others act in place.
bool closesPanelFirst(const QString &action)
{
    return action != u"listening" && action != u"focusHud" && action != u"quit";
}

} // namespace

MenuBarModel::MenuBarModel(AppState &app, ShellWindows &windows, QObject *parent)
    : QObject(parent), m_app(app), m_windows(windows)
{
    for (const auto signal :
         {&AppState::isDictatingChanged, &AppState::liveTranscriptChanged, &AppState::lastResultChanged,
          &AppState::statusMessageChanged, &AppState::permissionsChanged, &AppState::audioLevelChanged,
          &AppState::voiceModeChanged})
        connect(&app, signal, this, &MenuBarModel::refresh);
    refresh();
}

QString MenuBarModel::accessibilityWarning()
{
    return u"Grant Accessibility to type into other apps"_qs;
}

MenuBarRow MenuBarModel::quitRow()
{
    return {u"quit"_qs, u"Quit Dictrava"_qs, u"power"_qs};
}

int MenuBarModel::percentOf(double progress)
{
    // A hair over the product, so that 0.29 × 100 = 28.999… still reads 29.
    return static_cast<int>(std::floor(progress * 100 + 1e-9));
}

double MenuBarModel::waveBarHeight(int index, double time, double level)
{
    const double amplitude = level * 0.9 + 0.35;
    const double wave = std::sin(time * 9 + index) * 0.5 + 0.5;
    return amplitude * 12 * wave + 4;
}

void MenuBarModel::refresh()
{
    const bool dictating = m_app.isDictating();
    const VoiceMode mode = m_app.voiceMode();
    const std::optional<FocusSession> &session = m_app.focusCoach().session();

    QList<MenuBarRow> rows{
        {u"deck"_qs, u"Command Deck (Ctrl+Space)"_qs, u"rectangle.3.group"_qs},
        dictating ? MenuBarRow{u"listening"_qs, u"Stop listening"_qs, u"stop.circle"_qs}
                  : MenuBarRow{u"listening"_qs, u"Start listening"_qs, u"mic.circle"_qs},
    };
    const int percent = percentOf(m_app.focusCoach().progress());
    rows.append({u"focus"_qs, session ? u"Focus · "_qs + QString::number(percent) + u'%' : u"Focus Coach"_qs,
                 u"target"_qs});
    rows.append({u"briefing"_qs, u"Tomorrow Briefing"_qs, u"sun.horizon.fill"_qs});
    if (session)
        rows.append({u"focusHud"_qs, u"Toggle Focus HUD"_qs, u"rectangle.inset.filled.and.person.filled"_qs});
    rows.append({u"tasks"_qs,
                 u"Tasks & Reminders ("_qs + QString::number(m_app.taskStore().openTasks().size()) + u')',
                 u"checklist"_qs});
    rows.append({u"meeting"_qs, u"Meeting Mode"_qs, u"person.3"_qs});
    rows.append({u"history"_qs, u"History"_qs, u"clock.arrow.circlepath"_qs});
    rows.append({u"settings"_qs, u"Settings"_qs, u"gearshape"_qs});

    const bool wasRunning = waveRunning();
    bool different = rows != m_rows;
    const auto assign = [&different](auto &field, const auto &value) {
        if (field != value) {
            field = value;
            different = true;
        }
    };
    m_rows = std::move(rows);
    assign(m_isDictating, dictating);
    assign(m_statusMessage, m_app.statusMessage());
    assign(m_listeningHint, listeningHintFor(mode));
    assign(m_liveTranscript, m_app.liveTranscript());
    assign(m_lastResult, m_app.lastResult());
    assign(m_lastResultLabel, lastResultLabelFor(mode));
    assign(m_showsAccessibilityWarning, !m_app.accessibilityTrusted());
    if (different)
        emit changed();
    if (m_audioLevel != m_app.audioLevel()) {
        m_audioLevel = m_app.audioLevel();
        emit audioLevelChanged();
    }
    if (wasRunning != waveRunning())
        emit waveRunningChanged();
}

void MenuBarModel::setShown(bool shown)
{
    if (m_shown == shown)
        return;
    m_shown = shown;
    if (shown)
        refresh();
    if (m_isDictating)
        emit waveRunningChanged();
}

QVariantList MenuBarModel::rowsForViews() const
{
    QVariantList list;
    for (const MenuBarRow &row : m_rows)
        list.append(toVariant(row));
    return list;
}

QVariantMap MenuBarModel::quitRowForViews() const
{
    return toVariant(quitRow());
}

void MenuBarModel::trigger(const QString &action)
{
    CommandDeckController &deck = m_app.deck();
    std::function<void()> run;
    if (action == u"deck") {
        run = [&deck] { deck.show(); };
    } else if (action == u"listening") {
        run = [this] { m_app.isDictating() ? m_app.stopDictation() : m_app.startDictation(); };
    } else if (action == u"focus" || action == u"briefing") {
        const DeckMode mode = action == u"focus" ? DeckMode::Focus : DeckMode::Briefing;
        run = [&deck, mode] {
            deck.select(mode);
            deck.show();
        };
    } else if (action == u"focusHud") {
        run = [this] { toggleFocusHud(); };
    } else if (action == u"tasks" || action == u"meeting" || action == u"history" || action == u"settings") {
        run = [this, action] { m_windows.open(action); };
    } else if (action == u"quit") {
        run = [] { QCoreApplication::quit(); };
    } else {
        return;
    }
    if (!closesPanelFirst(action)) {
        run();
        return;
    }
    emit closePanelRequested();
    // After the panel has gone, so what the action brings up is not covered or dismissed with it.
    QTimer::singleShot(0, this, run);
}

void MenuBarModel::toggleFocusHud()
{
    FocusHud *hud = m_app.focusHud();
    if (!hud) {
        printDiagnostic(u"[Shell] The focus HUD is not available yet"_qs);
        return;
    }
    if (m_app.focusCoach().hudVisible()) {
        hud->hide();
        m_app.focusCoach().setHudVisible(false);
    } else {
        hud->show();
    }
}
