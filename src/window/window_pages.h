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

// The controls that show no field but that the window's code finds by name;
// a field's control is named by the field table.
namespace control {
inline constexpr char kGet[] = "cmdGet";
inline constexpr char kPut[] = "cmdPut";
inline constexpr char kReset[] = "cmdReset";
inline constexpr char kPortDevice[] = "lstPortDevice";
inline constexpr char kFindRate[] = "cmdFindRate";
inline constexpr char kCopyRelayToSounder[] = "cmdCpyRly2Sndr";
inline constexpr char kVersionFrame[] = "frmVersion";
inline constexpr char kSynthRxFrame[] = "frmSynthRx";
inline constexpr char kFreqAdd[] = "cmdFAdd";
inline constexpr char kFreqSub[] = "cmdFSub";
inline constexpr char kFreqAdd2[] = "cmdFAdd2";
inline constexpr char kFreqSub2[] = "cmdFSub2";
inline constexpr char kFreqAdd3[] = "cmdFAdd3";
inline constexpr char kFreqSub3[] = "cmdFSub3";
inline constexpr char kFreqAdd4[] = "cmdFAdd4";
inline constexpr char kFreqSub4[] = "cmdFSub4";
inline constexpr char kAlphaSubRicLabel[] = "Label26(11)";
inline constexpr char kAlphaSubFuncLabel[] = "Label16(11)";
inline constexpr char kNumericSubRicLabel[] = "Label26(12)";
inline constexpr char kNumericSubFuncLabel[] = "Label16(12)";
inline constexpr char kRelayTimeLabel[] = "Label28(12)";
inline constexpr char kRelayTimeUnit[] = "Label56";
inline constexpr char kSounderTimeLabel[] = "Label28(10)";
inline constexpr char kSounderTimeUnit[] = "Label30";
inline constexpr char kZoneTimeLabel[] = "Label28(#)";  // "TMax" or "Timeout"
}  // namespace control

}  // namespace kova
