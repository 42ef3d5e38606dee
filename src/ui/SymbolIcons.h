#pragma once

#include <QColor>
#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// The views name their icons by symbol ("mic.circle"); this is the one table that turns those
// names into the Bootstrap Icons files installed with the system.
class SymbolIcons : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The icon file for a symbol name; empty when the symbol is unknown or the file is missing.
    Q_INVOKABLE static QUrl source(const QString &symbol);
    static QString path(const QString &symbol);
    // The symbol drawn in `color`, through SymbolImageProvider ("image://symbols/…").
    Q_INVOKABLE static QUrl tinted(const QString &symbol, const QColor &color);
};
