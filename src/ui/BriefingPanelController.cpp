#include "ui/BriefingPanelController.h"

#include "ui/BriefingPanelViewModel.h"
#include "ui/WindowSizes.h"

namespace {

constexpr int kAboveCentre = 20;

} // namespace

BriefingPanelController::BriefingPanelController(BriefingStore &store, ViewEngine &views, QObject *parent)
    : FloatingPanel(views, {u"Briefing"_qs, u"BriefingPanelView"_qs, WindowSizes::kBriefingCard, 24, true},
                    parent),
      m_model(new BriefingPanelViewModel(
          store, [this] { hidePanel(); }, this))
{}

void BriefingPanelController::present(const DayBriefing &briefing, Kind kind)
{
    m_model->present(briefing, kind);
    showPanel();
}

QRect BriefingPanelController::placementOn(const QRect &available)
{
    constexpr QSize size = WindowSizes::kBriefingCard;
    const int x = available.x() + (available.width() - size.width()) / 2;
    const int y = available.y() + (available.height() - size.height()) / 2 - kAboveCentre;
    return {QPoint(x, y), size};
}

QVariantMap BriefingPanelController::viewProperties()
{
    return {{u"card"_qs, QVariant::fromValue(m_model)}};
}
