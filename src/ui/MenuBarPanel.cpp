#include "ui/MenuBarPanel.h"

#include "ui/MenuBarModel.h"
#include "ui/ViewEngine.h"
#include "ui/WindowSizes.h"

#include <QCursor>
#include <QGuiApplication>
#include <QQuickView>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

// A tray click arrives just after the focus moved to the tray: closer than this, the click is the
// one that closed the popup.
constexpr qint64 kReopenGuardMs = 300;
constexpr int kScreenMargin = 8;

} // namespace

MenuBarPanel::MenuBarPanel(AppState &app, ShellWindows &windows, ViewEngine &views, QObject *parent)
    : QObject(parent), m_model(new MenuBarModel(app, windows, this)), m_window(views.makeWindow())
{
    m_window->setTitle(u"Dictrava"_qs);
    m_window->setResizeMode(QQuickView::SizeViewToRootObject);
    views.load(*m_window, u"MenuBarView"_qs, {{u"model"_qs, QVariant::fromValue(m_model)}}, u"Shell"_qs);
    applyPresentation();

    connect(m_model, &MenuBarModel::closePanelRequested, this, [this] {
        if (m_presentation == Presentation::Popup)
            hide();
    });
    connect(m_window.get(), &QWindow::visibleChanged, m_model, &MenuBarModel::setShown);
    connect(m_window.get(), &QWindow::activeChanged, this, &MenuBarPanel::onActiveChanged);
    // The content grows and shrinks (live text, rows): keep a popup inside the screen.
    connect(m_window.get(), &QWindow::heightChanged, this, [this] {
        if (m_presentation == Presentation::Popup && m_window->isVisible())
            place();
    });
}

MenuBarPanel::~MenuBarPanel() = default;

QRect MenuBarPanel::popupGeometry(const QSize &size, const QRect &anchor, const QRect &available)
{
    QRect frame(QPoint(), size);
    if (anchor.isEmpty()) {
        frame.moveTopRight(available.topRight() + QPoint(-kScreenMargin, kScreenMargin));
    } else {
        const bool below = anchor.center().y() < available.center().y();
        frame.moveLeft(anchor.x() + anchor.width() / 2 - size.width() / 2);
        frame.moveTop(below ? anchor.bottom() + 1 + kGap : anchor.top() - kGap - size.height());
    }
    // Inside the screen; a panel larger than the screen keeps its top-left corner on it.
    frame.moveLeft(std::max(available.left(), std::min(frame.left(), available.right() + 1 - size.width())));
    frame.moveTop(std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - size.height())));
    return frame;
}

void MenuBarPanel::setPresentation(Presentation presentation)
{
    if (m_presentation == presentation)
        return;
    m_window->hide();
    m_presentation = presentation;
    applyPresentation();
}

void MenuBarPanel::applyPresentation()
{
    if (m_presentation == Presentation::Popup) {
        m_window->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    } else {
        m_window->setFlags(Qt::Window);
    }
    m_window->setMinimumWidth(WindowSizes::kMenuBarPanelWidth);
    m_window->setMaximumWidth(WindowSizes::kMenuBarPanelWidth);
}

void MenuBarPanel::place()
{
    const QPoint reference = m_anchor.isEmpty() ? QCursor::pos() : m_anchor.center();
    const QScreen *screen = QGuiApplication::screenAt(reference);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    m_window->setPosition(popupGeometry(m_window->size(), m_anchor, screen->availableGeometry()).topLeft());
}

void MenuBarPanel::show(const QRect &anchor)
{
    m_anchor = anchor;
    m_model->setShown(true);
    if (m_presentation == Presentation::Popup)
        place();
    m_window->show();
    m_window->raise();

    // Once the window is mapped: take the focus, so a popup can close when it loses it.
    QTimer::singleShot(0, m_window.get(), [window = m_window.get()] {
        if (window->isVisible())
            window->requestActivate();
    });
}

void MenuBarPanel::hide()
{
    m_window->hide();
}

void MenuBarPanel::toggle(const QRect &anchor)
{
    if (m_window->isVisible()) {
        hide();
        return;
    }
    if (m_sinceFocusLost.isValid() && m_sinceFocusLost.elapsed() < kReopenGuardMs)
        return;
    show(anchor);
}

bool MenuBarPanel::isVisible() const
{
    return m_window->isVisible();
}

void MenuBarPanel::onActiveChanged()
{
    if (m_presentation != Presentation::Popup || m_window->isActive() || !m_window->isVisible())
        return;
    m_sinceFocusLost.start();
    hide();
}
