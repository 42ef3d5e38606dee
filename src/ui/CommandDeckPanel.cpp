#include "ui/CommandDeckPanel.h"

#include "app/AppState.h"
#include "app/CommandDeckController.h"
#include "core/Diagnostics.h"
#include "ui/CommandDeckViewModel.h"
#include "ui/WindowSizes.h"

namespace {

constexpr int kAboveCentre = 40;

} // namespace

CommandDeckPanel::CommandDeckPanel(AppState &app, ViewEngine &views, QObject *parent)
    : FloatingPanel(views,
                    {u"Dictra Command Deck"_qs, u"CommandDeckView"_qs, WindowSizes::kCommandDeck, 22, true},
                    parent),
      m_app(app), m_model(new CommandDeckViewModel(app, app.deck(), this))
{
    // However the window went (Escape, its button, the window manager), the deck is hidden.
    connect(this, &FloatingPanel::hidden, this, [this] {
        if (m_app.deck().isVisible())
            m_app.deck().hide();
    });
    connect(this, &FloatingPanel::drawn, this, [] { printDiagnostic(u"[Deck] On screen"_qs); });
}

QRect CommandDeckPanel::placementOn(const QRect &available)
{
    constexpr QSize size = WindowSizes::kCommandDeck;
    const int x = available.x() + (available.width() - size.width()) / 2;
    const int y = available.y() + (available.height() - size.height()) / 2 - kAboveCentre;
    return {QPoint(x, y), size};
}

QVariantMap CommandDeckPanel::viewProperties()
{
    return {{u"deck"_qs, QVariant::fromValue(m_model)}};
}
