#include "ui/ShellWindows.h"

#include "core/Diagnostics.h"
#include "ui/ViewEngine.h"

#include <QGuiApplication>
#include <QPalette>
#include <QQuickView>

ShellWindows::ShellWindows(ViewEngine *views, QObject *parent) : QObject(parent), m_views(views) {}

ShellWindows::~ShellWindows()
{
    for (const QPointer<QWindow> &window : std::as_const(m_windows))
        delete window.data();
}

void ShellWindows::registerWindow(const QString &id, Factory factory)
{
    m_factories.insert(id, std::move(factory));
}

void ShellWindows::registerView(const QString &id, View view)
{
    Q_ASSERT(m_views);
    registerWindow(id, [this, view = std::move(view)] { return makeView(view); });
}

QWindow *ShellWindows::makeView(const View &view)
{
    std::unique_ptr<QQuickView> window = m_views->makeWindow();
    window->setTitle(view.title);
    window->setColor(QGuiApplication::palette().window().color()); // ordinary windows are opaque
    window->resize(view.size);
    const QVariantMap properties = view.properties ? view.properties(window.get()) : QVariantMap();
    if (!m_views->load(*window, view.view, properties, u"Shell"_qs))
        return nullptr;
    return window.release();
}

bool ShellWindows::open(const QString &id)
{
    QWindow *window = m_windows.value(id);
    if (!window) {
        const Factory factory = m_factories.value(id);
        window = factory ? factory() : nullptr;
        if (!window) {
            printDiagnostic(u"[Shell] The “"_qs + id + u"” window is not available yet"_qs);
            return false;
        }
        m_windows.insert(id, window);
    }
    if (window->windowStates() & Qt::WindowMinimized)
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->requestActivate();
    return true;
}
