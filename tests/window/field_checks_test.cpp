#include "window/field_checks.h"

#include <gtest/gtest.h>

#include <array>

#include "diag/failure.h"

namespace kova {
namespace {

TEST(DigitKeys, OnlyDigitsAndBackspacePass) {
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(DigitKeyPasses(code), (code >= '0' && code <= '9') || code == 8) << code;
  }
}

TEST(Ric, RefusesOutsideTheValidSetWithTheFixedSentence) {
  for (const char* typed : {"0", "2097151", "2007663", "2007672", "2045055", "2045064", " 42 "}) {
    const FieldVerdict verdict = RICinvalid(typed);
    EXPECT_EQ(verdict.text, typed);
    EXPECT_FALSE(verdict.refusal) << typed;
  }
  // Beyond 32 bits, or not a number at all (pasted): refused too, not a failure.
  for (const char* typed :
       {"2097152", "2007664", "2007671", "2045056", "2045063", "-1", "99999999999", "12abc"}) {
    const FieldVerdict verdict = RICinvalid(typed);
    EXPECT_EQ(verdict.text, typed);
    ASSERT_TRUE(verdict.refusal) << typed;
    EXPECT_EQ(*verdict.refusal, Message{.text = RicInvalidText(typed)});
  }
  EXPECT_EQ(RICinvalid("").text, "0");
  EXPECT_EQ(RicInvalidText("2097152"),
            "2097152 may not be a valid RIC. Valid RICs are in the range 0-2097151, and exclude "
            "the ranges 2007664-2007671 and 2045056-2045063.");
}

TEST(CloseTMax, RoundsToTensHalvesUpAndRefusesOutsideTheRange) {
  struct LeaveCase {
    const char* typed;
    const char* kept;
    bool refused;
  };
  // clang-format off
  const LeaveCase cases[] = {
      {"", "0", false},              {"4", "0", false},              {"5", "10", false},
      {"14", "10", false},           {"15", "20", false},            {"327670", "327670", false},
      {"327674", "327670", false},   {"327675", "327680", true},     {"327680", "327680", true},
      {"-4", "0", false},            {"-15", "-10", true},           {"abc", "abc", true},
      {"2147483647", "2147483650", true}};  // no overflow while rounding
  // clang-format on
  for (const auto& c : cases) {
    const FieldVerdict verdict = CheckCloseTMax(c.typed);
    EXPECT_EQ(verdict.text, c.kept) << c.typed;
    ASSERT_EQ(verdict.refusal.has_value(), c.refused) << c.typed;
    if (c.refused) {
      EXPECT_EQ(verdict.refusal->text, TimeInvalidText(c.kept));
    }
  }
  EXPECT_EQ(TimeInvalidText("327680"),
            "327680 is not a valid time in this context. Valid times are in the range 0-327670.");
}

TEST(RepeaterOverlap, WarnsOnlyForEnabledRangesThatMayDriveTheSameFunction) {
  struct Case {
    std::array<const char*, 4> rics;  // alpha range, numeric range
    int alphaFunc, numericFunc;
    Check alphaOn, numericOn;
    bool warned;
  };
  const Case cases[] = {
      {{"100", "200", "200", "300"}, 0, 0, 1, 1, true},   // touching ranges overlap
      {{"100", "200", "200", "300"}, 0, 1, 1, 1, false},  // different functions
      {{"100", "200", "200", "300"}, 0, 4, 1, 1, true},   // ALL meets every function
      {{"100", "200", "200", "300"}, 4, 2, 1, 1, true},
      {{"200", "100", "300", "200"}, 0, 0, 1, 1, true},   // bounds in either order
      {{"100", "199", "200", "300"}, 0, 0, 1, 1, false},  // disjoint
      {{"300", "400", "100", "299"}, 0, 0, 1, 1, false},
      {{"100", "200", "150", "160"}, 0, 0, 1, 1, true},   // one inside the other
      {{"100", "200", "200", "300"}, 0, 0, 0, 1, false},  // a range disabled
      {{"100", "200", "200", "300"}, 0, 0, 1, 0, false}};
  for (const auto& c : cases) {
    Configuration cfg;
    cfg.RepeatRIC1 = c.rics[0];
    cfg.RepeatRIC2 = c.rics[1];
    cfg.RepeatRIC3 = c.rics[2];
    cfg.RepeatRIC4 = c.rics[3];
    cfg.AlphaRepeatFunc = c.alphaFunc;
    cfg.NumericRepeatFunc = c.numericFunc;
    cfg.EnableAlphaRepeat = c.alphaOn;
    cfg.EnableNumericRepeat = c.numericOn;
    const auto warning = RepeaterOverlap(cfg);
    EXPECT_EQ(warning.has_value(), c.warned) << c.rics[0] << ".." << c.rics[1] << " " << c.rics[2];
    EXPECT_EQ(warning.value_or(OverlapWarning()), OverlapWarning());
  }
  const Message warning = OverlapWarning();
  EXPECT_EQ(warning.title, "Warning: Potential overlap");
  EXPECT_EQ(warning.text,
            "Warning: Overlap in Alpha/Numeric message ranges ... potentially confusing operation");
  EXPECT_EQ(warning.icon, MessageIcon::Information);

  Configuration notANumber;
  notANumber.EnableAlphaRepeat = notANumber.EnableNumericRepeat = 1;
  notANumber.RepeatRIC1 = "x";
  EXPECT_THROW(RepeaterOverlap(notANumber), Failure);
}

TEST(SequenceKeys, FollowTheTickedFormat) {
  struct Case {
    Check numeric, alpha;
    std::string text;
    int code;
    bool pass;
    std::optional<std::string> cut;
  };
  const std::string twenty(20, '1'), eleven(11, 'x');
  // clang-format off
  const Case cases[] = {
      {1, 0, "", 'A', true, {}},   {1, 0, "", 'a', false, {}},  {1, 0, "", '[', true, {}},
      {1, 0, "", ' ', true, {}},   {1, 0, "", 'B', false, {}},  {1, 0, twenty, '1', false, {}},
      {1, 0, twenty, 8, true, {}}, {1, 0, twenty + "9", '1', false, twenty},
      {0, 1, "", ' ', true, {}},   {0, 1, "", 127, true, {}},   {0, 1, "", 128, false, {}},
      {0, 1, "", 9, false, {}},    {0, 1, eleven, 'a', false, {}},
      {0, 1, eleven + "y", 'a', false, eleven},                 {0, 1, eleven + "y", 8, true, {}},
      {0, 0, twenty + twenty, 200, true, {}}};  // neither format: free text
  // clang-format on
  for (const auto& c : cases) {
    Configuration cfg;
    cfg.NumericVC = c.numeric;
    cfg.AlphaVC = c.alpha;
    cfg.VC = c.text;
    const KeyVerdict verdict = txtVC_KeyPress(cfg, c.code);
    EXPECT_EQ(verdict.pass, c.pass) << c.numeric << c.alpha << " " << c.text << " " << c.code;
    EXPECT_EQ(verdict.text, c.cut) << c.text << " " << c.code;
  }
}

}  // namespace
}  // namespace kova
