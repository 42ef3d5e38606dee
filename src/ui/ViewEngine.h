#pragma once

#include <QString>
#include <QVariantMap>

#include <memory>

class QQmlEngine;
class QQuickView;

// The one QML engine that every window of the app draws with: one copy of the module's types,
// the theme and the symbol images, however many windows are open. Must outlive its windows.
class ViewEngine
{
public:
    ViewEngine();
    ~ViewEngine();
    ViewEngine(const ViewEngine &) = delete;
    ViewEngine &operator=(const ViewEngine &) = delete;

    QQmlEngine &engine() { return *m_engine; }

    // A window on this engine, transparent where the view draws nothing, its root item following
    // the window's size. Nothing is loaded yet.
    std::unique_ptr<QQuickView> makeWindow();
    // Loads `view` (a file of the module, "CommandDeckView") into `window`, its required
    // properties set from `properties`. False, with the errors printed under `tag`, when the
    // view does not load.
    bool load(QQuickView &window, const QString &view, const QVariantMap &properties, const QString &tag);

private:
    std::unique_ptr<QQmlEngine> m_engine;
};
