#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>

#include <memory>

class AppState;
class MenuBarModel;
class QQuickView;
class ShellWindows;
class ViewEngine;

// Hosts the menu-bar view. With a tray it is a borderless popup beside the tray icon that goes
// away when it loses the focus; without one it is a small ordinary window titled "Dictrava", so
// the app always has something on screen to reach it by.
class MenuBarPanel : public QObject
{
    Q_OBJECT

public:
    enum class Presentation { Popup, Window };
    static constexpr int kGap = 4;

    MenuBarPanel(AppState &app, ShellWindows &windows, ViewEngine &views, QObject *parent = nullptr);
    ~MenuBarPanel() override;

    Presentation presentation() const { return m_presentation; }
    // Takes the panel off screen when the presentation changes.
    void setPresentation(Presentation presentation);

    // Shows the panel; a popup goes beside `anchor` (the tray icon), or to the top-right corner
    // of the screen under the pointer when the anchor is unknown (empty).
    void show(const QRect &anchor = {});
    void hide();
    // The tray icon's click: shows, or hides when already shown. A click that itself took the
    // focus away (and so just closed the popup) does not open it again.
    void toggle(const QRect &anchor = {});
    bool isVisible() const;

    MenuBarModel *model() const { return m_model; }
    QQuickView *window() const { return m_window.get(); }

    // Where a popup of `size` goes: centred under (or, in the lower half of the screen, over) the
    // anchor, kept inside `available`.
    static QRect popupGeometry(const QSize &size, const QRect &anchor, const QRect &available);

private:
    void applyPresentation();
    void place();
    void onActiveChanged();

    MenuBarModel *m_model;
    std::unique_ptr<QQuickView> m_window;
    Presentation m_presentation = Presentation::Popup;
    QRect m_anchor;
    QElapsedTimer m_sinceFocusLost;
};
