#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QQuickView;
class ViewEngine;

// A borderless card that floats above other windows (the Command Deck, the focus HUD, the
// briefing card). Built on its first show and afterwards only placed, shown and hidden. Where a
// compositor runs the card is see-through; where none runs the window is cut to the card's
// rounded shape, so no dark corners show.
class FloatingPanel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the desktop shell")
    Q_PROPERTY(bool seeThrough READ isSeeThrough NOTIFY seeThroughChanged)

public:
    struct Style
    {
        QString title;
        QString view; // the QML file of the module
        QSize size;
        int cornerRadius = 0;
        // Takes the keyboard focus when shown; otherwise it never does, even when clicked.
        bool takesFocus = true;
        // Shown on every workspace, where the window manager allows.
        bool onAllDesktops = false;
    };

    FloatingPanel(ViewEngine &views, Style style, QObject *parent = nullptr);
    ~FloatingPanel() override;

    bool isSeeThrough() const { return m_seeThrough; }
    bool isShown() const;
    // Null until the first show.
    QQuickView *window() const { return m_window.get(); }

signals:
    void seeThroughChanged();
    // The window went off screen, whoever took it off.
    void hidden();
    // The first frame after a show has been drawn.
    void drawn();

protected:
    // Where the window goes on a screen whose free area is `available`.
    virtual QRect placement(const QRect &available) const = 0;
    // The view's required properties ("panel" is always given).
    virtual QVariantMap viewProperties() = 0;

    // Builds, places (on the primary screen; without one the window keeps its frame), shows and
    // raises the window.
    void showPanel();
    void hidePanel();

private:
    void build();

    ViewEngine &m_views;
    Style m_style;
    std::unique_ptr<QQuickView> m_window;
    bool m_seeThrough = true;
};
