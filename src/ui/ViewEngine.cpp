#include "ui/ViewEngine.h"

#include "core/Diagnostics.h"
#include "ui/SymbolImageProvider.h"

#include <QQmlEngine>
#include <QQuickView>

ViewEngine::ViewEngine() : m_engine(std::make_unique<QQmlEngine>())
{
    m_engine->addImportPath(u"qrc:/"_qs);
    SymbolImageProvider::installOn(*m_engine);
}

ViewEngine::~ViewEngine() = default;

std::unique_ptr<QQuickView> ViewEngine::makeWindow()
{
    auto window = std::make_unique<QQuickView>(m_engine.get(), nullptr);
    window->setColor(Qt::transparent);
    window->setResizeMode(QQuickView::SizeRootObjectToView);
    return window;
}

bool ViewEngine::load(QQuickView &window, const QString &view, const QVariantMap &properties,
                      const QString &tag)
{
    window.setInitialProperties(properties);
    window.setSource(QUrl(u"qrc:/Dictrava/"_qs + view + u".qml"_qs));
    for (const QQmlError &error : window.errors())
        printDiagnostic(u"["_qs + tag + u"] "_qs + error.toString());
    return window.status() == QQuickView::Ready;
}
