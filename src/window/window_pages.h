// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kova {

class TabGrid;

// The seventeen tabs in their order: "General", "Engineering", "Comms",
// "PLL", "Serial Data", "Chan 1" .. "Chan 10", "Options", "Verification".
constexpr int kGeneralTab = 0;
constexpr int kCommsTab = 2;
constexpr int kPllTab = 3;
constexpr int kFirstZoneTab = 5;
constexpr int kTabCount = 17;
constexpr int kTabsPerRow = 6;

void BuildTabs(TabGrid& tabs);

// The objects named after a zone page's controls for zone 0..9:
// ZoneControlName("txtCloseRIC1(#)", 3) is "txtCloseRIC1(3)".
std::string ZoneControlName(std::string_view name, int zone);

}  // namespace kova
