#include "ui/SymbolImageProvider.h"
#include "ui/SymbolIcons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

void SymbolImageProvider::installOn(QQmlEngine &engine)
{
    if (!engine.imageProvider(u"symbols"_qs))
        engine.addImageProvider(u"symbols"_qs, new SymbolImageProvider);
}

QImage SymbolImageProvider::render(const QString &symbol, const QSize &size, const QColor &color)
{
    QFile file(SymbolIcons::path(symbol));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(color.alphaF());
    renderer.render(&painter);
    return image;
}

QImage SymbolImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const qsizetype slash = id.lastIndexOf(u'/');
    const QString symbol = slash < 0 ? id : id.left(slash);
    const QColor color = slash < 0 ? QColor(Qt::black) : QColor(u'#' + id.mid(slash + 1));
    const QSize wanted = requestedSize.isValid() && !requestedSize.isEmpty()
                             ? requestedSize
                             : QSize(kDefaultSize, kDefaultSize);
    QImage image = render(symbol, wanted, color.isValid() ? color : QColor(Qt::black));
    if (size)
        *size = image.size();
    return image;
}
