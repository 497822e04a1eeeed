#include "window/field_checks.h"

#include <gtest/gtest.h>

#include "diag/failure.h"

namespace kova {
namespace {

TEST(DigitKeys, OnlyDigitsAndBackspacePass) {
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(DigitKeyPasses(code), (code >= '0' && code <= '9') || code == 8) << code;
  }
}

TEST(Ric, ValidSetExcludesTheIdleAndSyncBlocks) {
  const std::pair<std::int64_t, bool> cases[] = {
      {0, true},       {-1, false},      {2097151, true},  {2097152, false},
      {2007663, true}, {2007664, false}, {2007671, false}, {2007672, true},
      {2045055, true}, {2045056, false}, {2045063, false}, {2045064, true}};
  for (const auto& [value, valid] : cases)
    EXPECT_EQ(IsValidRic(value), valid) << value;
}

TEST(Ric, LeavingAFieldKeepsItsTextAndRefusesWithTheFixedSentence) {
  struct Case {
    const char* typed;
    const char* kept;
    bool refused;
  };
  const Case cases[] = {
      {"", "0", false},
      {"2097151", "2097151", false},
      {"2097152", "2097152", true},
      {"99999999999", "99999999999", true},  // beyond 32 bits: refused, no failure
      {"12abc", "12abc", true},              // pasted text
      {" 42 ", " 42 ", false}};
  for (const auto& c : cases) {
    const FieldVerdict verdict = RICinvalid(c.typed);
    EXPECT_EQ(verdict.text, c.kept) << c.typed;
    ASSERT_EQ(verdict.refusal.has_value(), c.refused) << c.typed;
    if (c.refused) {
      EXPECT_EQ(verdict.refusal->text, RicInvalidText(c.kept));
      EXPECT_EQ(verdict.refusal->title, "Kova Pro Configuration");
      EXPECT_EQ(verdict.refusal->icon, MessageIcon::None);
    }
  }
  EXPECT_EQ(RicInvalidText("2097152"),
            "2097152 may not be a valid RIC. Valid RICs are in the range 0-2097151, and exclude "
            "the ranges 2007664-2007671 and 2045056-2045063.");
}

TEST(CloseTMax, RoundsToTensHalvesUpAndRefusesOutsideTheRange) {
  struct Case {
    const char* typed;
    const char* kept;
    bool refused;
  };
  const Case cases[] = {{"", "0", false},
                        {"4", "0", false},
                        {"5", "10", false},
                        {"14", "10", false},
                        {"15", "20", false},
                        {"327670", "327670", false},
                        {"327674", "327670", false},
                        {"327675", "327680", true},
                        {"327680", "327680", true},
                        {"2147483647", "2147483650", true},
                        {"-4", "0", false},
                        {"-15", "-10", true},
                        {"abc", "abc", true}};
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
    const char* a1;
    const char* a2;
    const char* n1;
    const char* n2;
    int alphaFunc;
    int numericFunc;
    Check alphaOn;
    Check numericOn;
    bool warned;
  };
  const Case cases[] = {
      {"100", "200", "200", "300", 0, 0, 1, 1, true},   // touching ranges overlap
      {"100", "200", "200", "300", 0, 1, 1, 1, false},  // different functions
      {"100", "200", "200", "300", 0, 4, 1, 1, true},   // ALL meets every function
      {"100", "200", "200", "300", 4, 2, 1, 1, true},
      {"200", "100", "300", "200", 0, 0, 1, 1, true},   // bounds in either order
      {"100", "199", "200", "300", 0, 0, 1, 1, false},  // disjoint
      {"300", "400", "100", "299", 0, 0, 1, 1, false},
      {"100", "200", "150", "160", 0, 0, 1, 1, true},   // one inside the other
      {"100", "200", "200", "300", 0, 0, 0, 1, false},  // a range disabled
      {"100", "200", "200", "300", 0, 0, 1, 0, false},
  };
  for (const auto& c : cases) {
    Configuration cfg;
    cfg.RepeatRIC1 = c.a1;
    cfg.RepeatRIC2 = c.a2;
    cfg.RepeatRIC3 = c.n1;
    cfg.RepeatRIC4 = c.n2;
    cfg.AlphaRepeatFunc = c.alphaFunc;
    cfg.NumericRepeatFunc = c.numericFunc;
    cfg.EnableAlphaRepeat = c.alphaOn;
    cfg.EnableNumericRepeat = c.numericOn;
    const auto warning = RepeaterOverlap(cfg);
    ASSERT_EQ(warning.has_value(), c.warned) << c.a1 << ".." << c.a2 << " " << c.n1 << ".." << c.n2;
    if (c.warned) {
      EXPECT_EQ(warning->title, "Warning: Potential overlap");
      EXPECT_EQ(warning->text,
                "Warning: Overlap in Alpha/Numeric message ranges ... potentially confusing "
                "operation");
      EXPECT_EQ(warning->icon, MessageIcon::Information);
    }
  }
}

TEST(RepeaterOverlap, ARangeThatIsNotANumberFailsInsteadOfWarning) {
  Configuration cfg;
  cfg.EnableAlphaRepeat = cfg.EnableNumericRepeat = 1;
  cfg.AlphaRepeatFunc = cfg.NumericRepeatFunc = 0;
  cfg.RepeatRIC1 = "x";
  cfg.RepeatRIC2 = cfg.RepeatRIC3 = cfg.RepeatRIC4 = "0";
  EXPECT_THROW(RepeaterOverlap(cfg), Failure);
}

TEST(SequenceKeys, FollowTheTickedFormat) {
  struct Case {
    Check numeric;
    Check alpha;
    std::string text;
    int code;
    bool pass;
    std::optional<std::string> cut;
  };
  const std::string twenty(20, '1');
  const std::string eleven(11, 'x');
  const Case cases[] = {
      {1, 0, "", 'A', true, {}},
      {1, 0, "", 'a', false, {}},
      {1, 0, "", '[', true, {}},
      {1, 0, "", ' ', true, {}},
      {1, 0, "", 'B', false, {}},
      {1, 0, twenty, '1', false, {}},
      {1, 0, twenty + "99", '1', false, twenty},
      {1, 0, twenty, 8, true, {}},
      {0, 1, "", ' ', true, {}},
      {0, 1, "", 127, true, {}},
      {0, 1, "", 128, false, {}},
      {0, 1, "", 9, false, {}},
      {0, 1, eleven, 'a', false, {}},
      {0, 1, eleven + "yy", 'a', false, eleven},
      {0, 1, eleven, 8, true, {}},
      {0, 1, eleven + "yy", 8, true, {}},      // backspace is left to shorten it
      {0, 0, twenty + twenty, 200, true, {}},  // free text
  };
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
