#include "ui/ShellWindows.h"
#include "core/Diagnostics.h"

ShellWindows::~ShellWindows()
{
    for (const QPointer<QWindow> &window : std::as_const(m_windows))
        delete window.data();
}

void ShellWindows::registerWindow(const QString &id, Factory factory)
{
    m_factories.insert(id, std::move(factory));
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
