#pragma once

#include "planning/BriefingPanel.h"
#include "ui/FloatingPanel.h"

class BriefingStore;
class BriefingPanelViewModel;

// The briefing card's window: centred, 20 points above the middle of the screen, on top of
// other windows; it takes the keyboard focus when presented.
class BriefingPanelController final : public FloatingPanel, public BriefingPanel
{
    Q_OBJECT

public:
    BriefingPanelController(BriefingStore &store, ViewEngine &views, QObject *parent = nullptr);

    void present(const DayBriefing &briefing, Kind kind) override;

    BriefingPanelViewModel *model() const { return m_model; }

    static QRect placementOn(const QRect &available);

protected:
    QRect placement(const QRect &available) const override { return placementOn(available); }
    QVariantMap viewProperties() override;

private:
    BriefingPanelViewModel *m_model;
};
