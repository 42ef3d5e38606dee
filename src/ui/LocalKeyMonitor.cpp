#include "ui/LocalKeyMonitor.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

// X keysyms (also what Wayland reports) of the right-hand Alt key and of AltGr.
constexpr quint32 kAltRight = 0xffea;
constexpr quint32 kLevel3Shift = 0xfe03;

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
        return true;
    default:
        return false;
    }
}

KeyEvent::Modifiers modifiersOf(Qt::KeyboardModifiers held)
{
    KeyEvent::Modifiers modifiers;
    modifiers.setFlag(KeyEvent::Modifier::Shift, held.testFlag(Qt::ShiftModifier));
    modifiers.setFlag(KeyEvent::Modifier::Control, held.testFlag(Qt::ControlModifier));
    modifiers.setFlag(KeyEvent::Modifier::Alt, held.testFlag(Qt::AltModifier));
    modifiers.setFlag(KeyEvent::Modifier::Super, held.testFlag(Qt::MetaModifier));
    return modifiers;
}

} // namespace

LocalKeyMonitor::~LocalKeyMonitor()
{
    remove();
}

bool LocalKeyMonitor::install(Handler handler)
{
    remove();
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    m_handler = std::move(handler);
    app->installEventFilter(this);
    m_installed = true;
    return true;
}

void LocalKeyMonitor::remove()
{
    if (m_installed && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_installed = false;
    m_handler = nullptr;
}

std::optional<KeyEvent> LocalKeyMonitor::translate(const QKeyEvent &event)
{
    const bool press = event.type() == QEvent::KeyPress;
    KeyEvent translated;
    translated.timestamp = event.timestamp();
    translated.modifiers = modifiersOf(event.modifiers());
    const int key = event.key();
    if (isModifierKey(key)) {
        translated.kind = KeyEvent::Kind::ModifiersChanged;
        const quint32 keysym = event.nativeVirtualKey();
        const bool rightAlt = key == Qt::Key_AltGr || keysym == kAltRight || keysym == kLevel3Shift;
        translated.key = rightAlt ? KeyEvent::Key::RightAlt : KeyEvent::Key::Other;
        // The modifiers of a modifier key's own event lag behind: state it from press or release.
        if (rightAlt)
            translated.modifiers.setFlag(KeyEvent::Modifier::Alt, press);
        return translated;
    }
    if (!press)
        return std::nullopt;
    translated.kind = KeyEvent::Kind::KeyDown;
    translated.key = key == Qt::Key_Space ? KeyEvent::Key::Space : KeyEvent::Key::Other;
    return translated;
}

bool LocalKeyMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // A key event passes the filter once per receiver on its way (window, then items or widgets);
    // the window sees it first, and only there is it looked at.
    if (!m_handler || !watched->isWindowType() ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return false;
    const std::optional<KeyEvent> translated = translate(*static_cast<QKeyEvent *>(event));
    return translated && m_handler(*translated);
}
