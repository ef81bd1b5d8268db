#pragma once
// The main window's tabs in the order it shows them. A tab's number is its position in the
// window's tab strip; only the window turns tabs into numbers and back.

#include "platform/NumberedMembers.h"

#include <array>
#include <optional>

namespace dilato {

enum class Tab : int { Test, Calibration, Plotting, PlottingSetup, SetupOptions, Results };
inline constexpr int kTabCount = 6;
inline constexpr std::array<Tab, kTabCount> kTabs{Tab::Test,         Tab::Calibration,
                                                  Tab::Plotting,     Tab::PlottingSetup,
                                                  Tab::SetupOptions, Tab::Results};

// The position of a tab in the strip (0 to 5).
[[nodiscard]] constexpr int TabIndex(Tab tab) {
    return static_cast<int>(tab);
}
// The tab at a position of the strip; none for any other number (-1: the strip is empty).
[[nodiscard]] constexpr std::optional<Tab> TabAt(int index) {
    return MemberNumbered(kTabs, index);
}

} // namespace dilato
