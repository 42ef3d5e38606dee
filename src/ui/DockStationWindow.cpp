#include "ui/DockStationWindow.h"
#include "ui/ViewEngine.h"
#include "ui/WindowSizes.h"

#include "platform/X11Compositing.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QQuickView>
#include <QScreen>

DockStationWindow::DockStationWindow(ViewEngine &views, QObject *parent) : QObject(parent), m_views(views)
{
    m_clock.setFramesPerSecond(kFramesPerSecond);
}

DockStationWindow::~DockStationWindow() = default;

QRect DockStationWindow::placement(const QRect &available)
{
    constexpr QSize size = WindowSizes::kDockStation;
    const int x = available.x() + available.width() / 2 - size.width() / 2;
    const int y = available.y() + available.height() - kBottomMargin - size.height();
    return {QPoint(x, y), size};
}

QRegion DockStationWindow::capsuleRegion()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(kCapsule), kCapsule.height() / 2.0, kCapsule.height() / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

void DockStationWindow::build()
{
    m_window = m_views.makeWindow();
    m_window->setTitle(u"Dictrava"_qs);
    m_window->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    m_views.load(*m_window, u"DockStationView"_qs, {{u"station"_qs, QVariant::fromValue(this)}}, u"Dock"_qs);
    m_window->resize(WindowSizes::kDockStation);
}

void DockStationWindow::show()
{
    if (!m_window)
        build();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_window->setGeometry(placement(screen->availableGeometry()));
    // Without a compositor the clear corners would show black: cut the window to the capsule
    // (the glow is lost). Checked each time, as compositors start and stop.
    const bool seeThrough = QGuiApplication::platformName() != u"xcb" || x11CompositorRunning();
    m_window->setMask(seeThrough ? QRegion() : capsuleRegion());
    if (m_seeThrough != seeThrough) {
        m_seeThrough = seeThrough;
        emit seeThroughChanged();
    }
    setActive(true);
    m_window->show();
    m_window->raise();
}

void DockStationWindow::setLevel(float level)
{
    if (m_level == level)
        return;
    m_level = level;
    emit levelChanged();
}

void DockStationWindow::hide()
{
    setLevel(0);
    setActive(false);
    if (m_window)
        m_window->hide();
}

void DockStationWindow::setActive(bool active)
{
    m_clock.setRunning(active);
    if (m_active == active)
        return;
    m_active = active;
    emit activeChanged();
}
