#include "ui/TrayIcon.h"

#include "app/AppState.h"
#include "ui/SymbolImageProvider.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};
const QColor kRecordingColor(0xff, 0x3b, 0x30);

} // namespace

TrayIcon::TrayIcon(AppState &app, QObject *parent) : QObject(parent), m_app(app)
{
    m_tray.setToolTip(u"Dictrava"_qs);
    redraw();
    connect(&app, &AppState::isDictatingChanged, this, &TrayIcon::redraw);
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit activated(geometry());
    });

    m_watch.setInterval(kCheckIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &TrayIcon::checkTray);

    // Some trays only ever open the icon's menu: it reaches the panel and quits.
    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(u"Open Dictrava"_qs, this, [this] { emit activated(geometry()); });
    m_menu->addAction(u"Quit Dictrava"_qs, qApp, &QCoreApplication::quit);
    m_tray.setContextMenu(m_menu.get());
}

TrayIcon::~TrayIcon()
{
    m_tray.hide();
}

QIcon TrayIcon::appIcon()
{
    QSvgRenderer renderer(u":/Dictrava/dictrava.svg"_qs);
    if (!renderer.isValid())
        return recordingIcon();
    QIcon icon;
    for (const int size : kIconSizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon TrayIcon::recordingIcon()
{
    QIcon icon;
    for (const int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(
            SymbolImageProvider::render(u"waveform.circle.fill"_qs, {size, size}, kRecordingColor)));
    return icon;
}

void TrayIcon::start()
{
    m_hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    if (m_hasTray)
        m_tray.show();
    m_watch.start();
}

QRect TrayIcon::geometry() const
{
    return m_hasTray ? m_tray.geometry() : QRect();
}

void TrayIcon::checkTray()
{
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available) {
        m_missedChecks = 0;
        if (!m_hasTray) {
            // An icon shown before docks again by itself; one never shown docks now.
            m_tray.show();
            m_hasTray = true;
            emit hasTrayChanged();
        }
        return;
    }
    if (!m_hasTray || ++m_missedChecks < kChecksBeforeLost)
        return;
    m_hasTray = false;
    emit hasTrayChanged();
}

void TrayIcon::redraw()
{
    m_showsRecording = m_app.isDictating();
    m_tray.setIcon(m_showsRecording ? m_recordingIcon : m_appIcon);
}
