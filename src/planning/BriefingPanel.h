#pragma once

#include "planning/DayBriefing.h"

// The floating briefing card, as the briefing store and the app state see it.
class BriefingPanel
{
public:
    enum class Kind { Morning, Midday, Manual };

    virtual ~BriefingPanel() = default;
    virtual void present(const DayBriefing &briefing, Kind kind) = 0;
};
