#pragma once

#include <QSize>

// Every window's size, in one place. The views fill their window; the floating panels keep
// exactly these sizes, the ordinary windows start at them.
namespace WindowSizes {

inline constexpr QSize kCommandDeck{440, 460};
inline constexpr QSize kFocusHud{320, 148};
inline constexpr QSize kBriefingCard{440, 480};
inline constexpr QSize kDockStation{360, 72};
inline constexpr int kMenuBarPanelWidth = 300;

inline constexpr QSize kMeeting{720, 560};
inline constexpr QSize kTasks{560, 480};
inline constexpr QSize kTasksMinimum{520, 420};
inline constexpr QSize kHistory{640, 480};
inline constexpr QSize kHistoryMinimum{480, 360};
inline constexpr QSize kSettings{520, 420}; // fixed

} // namespace WindowSizes
