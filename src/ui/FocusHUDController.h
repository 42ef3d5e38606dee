#pragma once

#include "planning/FocusHud.h"
#include "ui/FloatingPanel.h"

class FocusCoachStore;
class FocusHUDViewModel;

// The focus HUD's window: 16 points from the top-right corner of the screen's free area, above
// other windows and on every workspace, and never with the keyboard focus, so that clicking its
// buttons leaves the user typing where they were.
class FocusHUDController final : public FloatingPanel, public FocusHud
{
    Q_OBJECT

public:
    FocusHUDController(FocusCoachStore &coach, ViewEngine &views, QObject *parent = nullptr);

    void show() override;
    void hide() override { hidePanel(); }

    FocusHUDViewModel *model() const { return m_model; }

    static QRect placementOn(const QRect &available);

protected:
    QRect placement(const QRect &available) const override { return placementOn(available); }
    QVariantMap viewProperties() override;

private:
    FocusCoachStore &m_coach;
    FocusHUDViewModel *m_model;
};
