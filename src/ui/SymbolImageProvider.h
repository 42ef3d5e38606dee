#pragma once

#include <QColor>
#include <QQmlEngine>
#include <QQuickImageProvider>

// Symbol icons drawn in a colour: "image://symbols/<symbol>/<rrggbb>" (the colour without "#";
// omitted means black). The icon files draw in "currentColor", which is replaced before rendering.
class SymbolImageProvider final : public QQuickImageProvider
{
public:
    static constexpr int kDefaultSize = 16;

    SymbolImageProvider();

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // Gives `engine` the "symbols" provider, once.
    static void installOn(QQmlEngine &engine);

    // A transparent image of the symbol; null when the symbol is unknown.
    static QImage render(const QString &symbol, const QSize &size, const QColor &color);
};
