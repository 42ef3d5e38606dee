#pragma once

#include "app/DeckPanel.h"
#include "ui/FloatingPanel.h"

class AppState;
class CommandDeckViewModel;

// The Command Deck's window: centred, 40 points above the middle of the screen, on top of other
// windows, with the keyboard while it is shown.
class CommandDeckPanel final : public FloatingPanel, public DeckPanel
{
    Q_OBJECT

public:
    CommandDeckPanel(AppState &app, ViewEngine &views, QObject *parent = nullptr);

    void show() override { showPanel(); }
    void hide() override { hidePanel(); }

    CommandDeckViewModel *model() const { return m_model; }

    static QRect placementOn(const QRect &available);

protected:
    QRect placement(const QRect &available) const override { return placementOn(available); }
    QVariantMap viewProperties() override;

private:
    AppState &m_app;
    CommandDeckViewModel *m_model;
};
