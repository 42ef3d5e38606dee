#include "ui/FocusHUDController.h"

#include "planning/FocusCoachStore.h"
#include "ui/FocusHUDViewModel.h"
#include "ui/WindowSizes.h"

namespace {

constexpr int kMargin = 16;

} // namespace

FocusHUDController::FocusHUDController(FocusCoachStore &coach, ViewEngine &views, QObject *parent)
    : FloatingPanel(views, {u"Focus Coach"_qs, u"FocusHUDView"_qs, WindowSizes::kFocusHud, 16, false, true},
                    parent),
      m_coach(coach), m_model(new FocusHUDViewModel(
                          coach, [this] { hidePanel(); }, this))
{}

void FocusHUDController::show()
{
    showPanel();
    m_coach.setHudVisible(true);
}

QRect FocusHUDController::placementOn(const QRect &available)
{
    constexpr QSize size = WindowSizes::kFocusHud;
    return {QPoint(available.x() + available.width() - size.width() - kMargin, available.y() + kMargin),
            size};
}

QVariantMap FocusHUDController::viewProperties()
{
    return {{u"hud"_qs, QVariant::fromValue(m_model)}};
}
