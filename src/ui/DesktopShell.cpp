#include "ui/DesktopShell.h"

#include "app/AppState.h"
#include "ui/ClipboardPasteboard.h"
#include "ui/DataWindows.h"
#include "ui/DockStationWindow.h"
#include "ui/MenuBarPanel.h"
#include "ui/ShellWindows.h"
#include "ui/SymbolImageProvider.h"
#include "ui/TrayIcon.h"

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
    // The dock station and the popup draw their own shapes on a clear window.
    QQuickWindow::setDefaultAlphaBuffer(true);
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    QOpenGLContext probe;
    if (!probe.create())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

DesktopShell::DesktopShell(AppState &app, QObject *parent) : QObject(parent), m_app(app)
{
    prepareGraphics();
    m_windows = new ShellWindows(this);
    m_dockStation = new DockStationWindow(this);
    m_panel = new MenuBarPanel(app, *m_windows, this);
    m_tray = new TrayIcon(app, this);
    connect(m_tray, &TrayIcon::activated, m_panel, &MenuBarPanel::toggle);
    connect(m_tray, &TrayIcon::hasTrayChanged, this, &DesktopShell::followTray);

    m_engine = new QQmlEngine(this);
    m_engine->addImportPath(u"qrc:/"_qs);
    SymbolImageProvider::installOn(*m_engine);
    m_clipboard = std::make_unique<ClipboardPasteboard>();
    m_dataWindows = new DataWindows(app, *m_clipboard, *m_engine, this);
    m_dataWindows->registerWith(*m_windows);
}

DesktopShell::~DesktopShell()
{
    m_app.setDockStation(nullptr);
}

void DesktopShell::start()
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_app.setDockStation(m_dockStation);
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
