#include "ui/FloatingPanel.h"

#include "platform/X11Compositing.h"
#include "platform/X11Desktops.h"
#include "ui/ViewEngine.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QQuickView>
#include <QScreen>

namespace {

QRegion roundedRegion(const QSize &size, int radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(), size), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

FloatingPanel::FloatingPanel(ViewEngine &views, Style style, QObject *parent)
    : QObject(parent), m_views(views), m_style(std::move(style))
{}

FloatingPanel::~FloatingPanel()
{
    // The window hides as it is destroyed; by then the subclass that listens to hidden() is gone.
    if (m_window)
        m_window->disconnect(this);
}

bool FloatingPanel::isShown() const
{
    return m_window && m_window->isVisible();
}

void FloatingPanel::build()
{
    m_window = m_views.makeWindow();
    m_window->setTitle(m_style.title);
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (!m_style.takesFocus)
        flags |= Qt::WindowDoesNotAcceptFocus;
    m_window->setFlags(flags);
    m_window->resize(m_style.size);
    m_window->setMinimumSize(m_style.size);
    m_window->setMaximumSize(m_style.size);
    QVariantMap properties = viewProperties();
    properties.insert(u"panel"_qs, QVariant::fromValue(this));
    m_views.load(*m_window, m_style.view, properties, u"Shell"_qs);
    connect(m_window.get(), &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            emit hidden();
    });
}

void FloatingPanel::showPanel()
{
    if (!m_window)
        build();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_window->setGeometry(placement(screen->availableGeometry()));
    // Checked at every show, as compositors start and stop.
    const bool seeThrough = QGuiApplication::platformName() != u"xcb" || x11CompositorRunning();
    m_window->setMask(seeThrough ? QRegion() : roundedRegion(m_style.size, m_style.cornerRadius));
    if (m_seeThrough != seeThrough) {
        m_seeThrough = seeThrough;
        emit seeThroughChanged();
    }
    if (!m_window->isVisible()) {
        connect(m_window.get(), &QQuickWindow::frameSwapped, this, &FloatingPanel::drawn,
                Qt::SingleShotConnection);
    }
    m_window->show();
    m_window->raise();
    if (m_style.onAllDesktops) {
        if (const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            x11ShowOnAllDesktops(x11->display(), m_window->winId());
    }
    if (m_style.takesFocus)
        m_window->requestActivate();
}

void FloatingPanel::hidePanel()
{
    if (m_window)
        m_window->hide();
}
