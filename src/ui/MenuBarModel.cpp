#include "ui/MenuBarModel.h"

#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "core/Diagnostics.h"
#include "planning/FocusCoachStore.h"
#include "planning/FocusHud.h"
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

// Rows whose action leaves the panel for something else; the others act in place.
bool closesPanelFirst(const QString &action)
{
    return action != u"listening" && action != u"focusHud" && action != u"quit";
}

} // namespace

MenuBarModel::MenuBarModel(AppState &app, ShellWindows &windows, QObject *parent)
    : QObject(parent), m_app(app), m_windows(windows), m_rows(app)
{
    connect(&app, &AppState::isDictatingChanged, this, [this] {
        emit isDictatingChanged();
        emit boxesChanged();
        if (m_shown)
            emit waveRunningChanged();
    });
    connect(&app, &AppState::liveTranscriptChanged, this, [this] {
        emit liveTranscriptChanged();
        emit boxesChanged();
    });
    connect(&app, &AppState::lastResultChanged, this, [this] {
        emit lastResultChanged();
        emit boxesChanged();
    });
    connect(&app, &AppState::statusMessageChanged, this, &MenuBarModel::statusMessageChanged);
    connect(&app, &AppState::voiceModeChanged, this, &MenuBarModel::voiceModeChanged);
    connect(&app, &AppState::permissionsChanged, this, &MenuBarModel::permissionsChanged);
    connect(&app, &AppState::audioLevelChanged, this, &MenuBarModel::audioLevelChanged);
}

bool MenuBarModel::isDictating() const
{
    return m_app.isDictating();
}

QString MenuBarModel::statusMessage() const
{
    return m_app.statusMessage();
}

QString MenuBarModel::listeningHint() const
{
    return listeningHintFor(m_app.voiceMode());
}

QString MenuBarModel::liveTranscript() const
{
    return m_app.liveTranscript();
}

QString MenuBarModel::lastResult() const
{
    return m_app.lastResult();
}

QString MenuBarModel::lastResultLabel() const
{
    return lastResultLabelFor(m_app.voiceMode());
}

bool MenuBarModel::showsAccessibilityWarning() const
{
    return !m_app.accessibilityTrusted();
}

double MenuBarModel::audioLevel() const
{
    return m_app.audioLevel();
}

QString MenuBarModel::accessibilityWarning()
{
    return u"Grant Accessibility to type into other apps"_qs;
}

MenuBarRow MenuBarModel::quitRow()
{
    return {u"quit"_qs, u"Quit Dictrava"_qs, u"power"_qs};
}

QVariantMap MenuBarModel::quitRowForViews() const
{
    const MenuBarRow row = quitRow();
    return {{u"action"_qs, row.action}, {u"title"_qs, row.title}, {u"symbol"_qs, row.symbol}};
}

double MenuBarModel::waveBarHeight(int index, double time, double level)
{
    const double amplitude = level * 0.9 + 0.35;
    const double wave = std::sin(time * 9 + index) * 0.5 + 0.5;
    return amplitude * 12 * wave + 4;
}

void MenuBarModel::setShown(bool shown)
{
    if (m_shown == shown)
        return;
    m_shown = shown;
    if (isDictating())
        emit waveRunningChanged();
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
