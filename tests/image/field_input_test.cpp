// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "diag/failure.h"
#include "image/field_checks.h"

// What the window decides while a field is typed and when it is left.
namespace kova {
namespace {

// A RIC outside the valid set or 32 bits is refused; a TMax is rounded to tens, halves up.
TEST(FieldLeft, KeepsTheTextOrRefusesItWithItsSentence) {
  for (const char* ric : {"", "2097151", "2007663", "2007672", "2045055", "2045064", " 42 "}) {
    EXPECT_EQ(RicInvalid(ric).text, *ric ? ric : "0");
    EXPECT_EQ(RicInvalid(ric).refusal, std::nullopt) << ric;
  }
  for (const char* ric :
       {"2097152", "2007664", "2007671", "2045056", "2045063", "-1", "12abc", "99999999999"})
    EXPECT_EQ(RicInvalid(ric).refusal, Message{.text = RicInvalidText(ric)}) << ric;
  // clang-format off
  const std::tuple<const char*, const char*, bool> times[] = {
      {"", "0", 0}, {"4", "0", 0}, {"5", "10", 0}, {"14", "10", 0}, {"15", "20", 0}, {"-4", "0", 0},
      {"327674", "327670", 0}, {"327675", "327680", 1}, {"-15", "-10", 1}, {"abc", "abc", 1},
      {"2147483647", "2147483650", 1}};  // no overflow while rounding
  // clang-format on
  for (const auto& [typed, kept, refused] : times) {
    const auto refusal =
        refused ? std::optional(Message{.text = TimeInvalidText(kept)}) : std::nullopt;
    EXPECT_EQ(CheckCloseTMax(typed).text, kept);
    EXPECT_EQ(CheckCloseTMax(typed).refusal, refusal) << typed;
  }
  EXPECT_EQ(RicInvalidText("7"),
            "7 may not be a valid RIC. Valid RICs are in the range 0-2097151, "
            "and exclude the ranges 2007664-2007671 and 2045056-2045063.");
  EXPECT_EQ(TimeInvalidText("7"),
            "7 is not a valid time in this context. Valid times are in the range 0-327670.");
}

// Enabled ranges that touch, in either order, for functions that may meet (4 is "ALL").
TEST(RepeaterOverlap, WarnsOnlyForEnabledRangesThatMayDriveTheSameFunction) {
  // clang-format off
  const std::tuple<const char*, const char*, const char*, const char*, int, int, Check, Check, bool> cases[] = {
      {"100", "200", "200", "300", 0, 0, 1, 1, 1}, {"100", "200", "200", "300", 0, 1, 1, 1, 0},
      {"100", "200", "200", "300", 0, 4, 1, 1, 1}, {"100", "200", "200", "300", 4, 2, 1, 1, 1},
      {"300", "200", "200", "100", 0, 0, 1, 1, 1}, {"100", "199", "200", "300", 0, 0, 1, 1, 0},
      {"300", "400", "100", "299", 0, 0, 1, 1, 0}, {"100", "200", "150", "160", 0, 0, 1, 1, 1},
      {"100", "200", "200", "300", 0, 0, 0, 1, 0}, {"100", "200", "200", "300", 0, 0, 1, 0, 0}};
  // clang-format on
  for (const auto& c : cases) {
    Configuration cfg;
    bool overlaps = false;
    std::tie(cfg.RepeatRIC1, cfg.RepeatRIC2, cfg.RepeatRIC3, cfg.RepeatRIC4, cfg.AlphaRepeatFunc,
             cfg.NumericRepeatFunc, cfg.EnableAlphaRepeat, cfg.EnableNumericRepeat, overlaps) = c;
    EXPECT_EQ(RepeaterOverlap(cfg), overlaps ? std::optional(OverlapWarning()) : std::nullopt);
    cfg.RepeatRIC4 = "x";  // a range that is not a number: nothing to compare, a failure
    if (overlaps) {
      EXPECT_THROW(RepeaterOverlap(cfg), Failure);
    }
  }
  EXPECT_EQ(OverlapWarning(),
            (Message{"Warning: Potential overlap",
                     "Warning: Overlap in Alpha/Numeric message ranges ... potentially confusing "
                     "operation",
                     MessageIcon::Information}));
}

// The ticked format's own keys pass; a full field drops the key, a longer (pasted) one is cut.
TEST(SequenceKeys, FollowTheTickedFormat) {
  const std::string twenty(20, '1'), eleven(11, 'x'), twelve = eleven + "y";
  // clang-format off
  const std::tuple<Check, Check, std::string, int, bool, std::optional<std::string>> cases[] = {
      {1, 0, "", 'B', 0, {}}, {1, 0, "", '5', 1, {}}, {1, 0, twenty, '1', 0, {}}, {1, 0, twenty, 8, 1, {}},
      {0, 1, "", ' ', 1, {}}, {0, 1, "", 127, 1, {}}, {0, 1, "", 128, 0, {}}, {0, 1, "", 31, 0, {}},
      {0, 1, eleven, 'a', 0, {}}, {0, 1, twelve, 'a', 0, eleven}, {0, 1, twelve, 8, 1, {}},
      {0, 0, twenty + twenty, 200, 1, {}}};  // neither format: free text
  // clang-format on
  for (const auto& [numeric, alpha, text, code, pass, cut] : cases) {
    Configuration cfg;
    std::tie(cfg.NumericVC, cfg.AlphaVC, cfg.VC) = std::tie(numeric, alpha, text);
    const KeyVerdict filtered = FilterVcKey(cfg, code);
    EXPECT_EQ(filtered.pass, pass) << code;
    EXPECT_EQ(filtered.text, cut) << code;
  }
}

}  // namespace
}  // namespace kova
