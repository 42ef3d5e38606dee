#include "ui/DesktopShell.h"

#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "app/OpenWindowBridge.h"
#include "ui/BriefingPanelController.h"
#include "ui/ClipboardPasteboard.h"
#include "ui/CommandDeckPanel.h"
#include "ui/DataWindows.h"
#include "ui/DockStationWindow.h"
#include "ui/FocusHUDController.h"
#include "ui/MeetingViewModel.h"
#include "ui/MenuBarPanel.h"
#include "ui/ShellWindows.h"
#include "ui/TrayIcon.h"
#include "ui/ViewEngine.h"
#include "ui/WindowSizes.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <QQmlEngine>
#include <QQuickWindow>

void DesktopShell::prepareGraphics()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    // The floating panels draw their own shapes on a clear window.
    QQuickWindow::setDefaultAlphaBuffer(true);
    // All windows draw on the GUI thread, one after another. The threaded loop gives every window
    // a render thread and a graphics context of its own, which under a software OpenGL (llvmpipe)
    // cost about 14 MB per window against 6 MB here; these small, mostly still cards gain nothing
    // from drawing in parallel. An explicit choice in the environment wins.
    if (!qEnvironmentVariableIsSet("QSG_RENDER_LOOP"))
        qputenv("QSG_RENDER_LOOP", "basic");
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    QOpenGLContext probe;
    if (!probe.create())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

DesktopShell::DesktopShell(AppState &app, QObject *parent) : QObject(parent), m_app(app)
{
    prepareGraphics();
    m_views = std::make_unique<ViewEngine>();
    m_windows = std::make_unique<ShellWindows>(m_views.get());
    m_dockStation = std::make_unique<DockStationWindow>(*m_views);
    m_panel = std::make_unique<MenuBarPanel>(app, *m_windows, *m_views);
    m_tray = std::make_unique<TrayIcon>(app);
    m_deckPanel = std::make_unique<CommandDeckPanel>(app, *m_views);
    m_focusHud = std::make_unique<FocusHUDController>(app.focusCoach(), *m_views);
    m_briefingCard = std::make_unique<BriefingPanelController>(app.briefingStore(), *m_views);
    registerWindows();
    // From the start, whether or not the panel was ever shown: the deck opens windows through here.
    connect(&app.windows(), &OpenWindowBridge::openRequested, this, &DesktopShell::openWindow);
    connect(m_tray.get(), &TrayIcon::activated, m_panel.get(), &MenuBarPanel::toggle);
    connect(m_tray.get(), &TrayIcon::hasTrayChanged, this, &DesktopShell::followTray);
}

DesktopShell::~DesktopShell()
{
    m_app.setDockStation(nullptr);
    m_app.deck().setPanel(nullptr);
    m_app.setFocusHud(nullptr);
    m_app.setBriefingPanel(nullptr);
}

// The app's ordinary windows, one line each: id, title, view (a QML file of the module), size
// (from WindowSizes) and the view's required properties, e.g.
//   m_windows->registerView(u"tasks"_qs, {u"Tasks & Reminders"_qs, u"TasksView"_qs,
//       WindowSizes::kTasks, [this](QObject *owner) { return QVariantMap{…}; }});
// An id without a line here answers that its window is not available yet.
void DesktopShell::registerWindows()
{
    m_clipboard = std::make_unique<ClipboardPasteboard>();
    m_dataWindows = std::make_unique<DataWindows>(m_app, *m_clipboard, m_views->engine());
    m_dataWindows->registerWith(*m_windows);
    m_windows->registerView(
        u"meeting"_qs,
        {u"Meeting Mode"_qs, u"MeetingView"_qs, WindowSizes::kMeeting, [this](QObject *owner) {
             return QVariantMap{
                 {u"model"_qs, QVariant::fromValue(new MeetingViewModel(m_app.meeting(), owner))}};
         }});
}

void DesktopShell::start()
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_app.setDockStation(m_dockStation.get());
    m_app.deck().setPanel(m_deckPanel.get());
    m_app.setFocusHud(m_focusHud.get());
    m_app.setBriefingPanel(m_briefingCard.get());
    m_tray->start();
    followTray();
}

void DesktopShell::activate()
{
    m_panel->show(m_tray->geometry());
}

bool DesktopShell::hasTray() const
{
    return m_tray->hasTray();
}

bool DesktopShell::openWindow(const QString &id)
{
    return m_windows->open(id);
}

void DesktopShell::followTray()
{
    if (m_tray->hasTray()) {
        m_panel->setPresentation(MenuBarPanel::Presentation::Popup);
        return;
    }
    // Without a tray the panel is the only way in: keep it on screen as a window.
    m_panel->setPresentation(MenuBarPanel::Presentation::Window);
    if (!m_panel->isVisible())
        m_panel->show();
}
