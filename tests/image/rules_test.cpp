// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "field_edits.h"
#include "image/clear_form.h"
#include "image/frequency.h"
#include "image/value_rules.h"

namespace kova {
namespace {

// A click runs the field's rule; it changes the fields named and nothing else.
TEST(ClickRules, ARateOrASequenceFormatClickedChangesItsCompanions) {
  const std::array<const char*, 3> cases[] = {
      // before, click, after
      {"PocsagBaud=1200; Polarity=Auto", "PocsagBaud=512", "PocsagBaud=512; ClkJog=16"},
      {"PocsagBaud=512; Polarity=Inverted", "PocsagBaud=1200", "PocsagBaud=1200; ClkJog=8"},
      {"PocsagBaud=1200; Polarity=Auto", "PocsagBaud=2400",
       "PocsagBaud=2400; ClkJog=4; Polarity=Normal"},
      {"PocsagBaud=1200; Polarity=Inverted", "PocsagBaud=2400", "PocsagBaud=2400; ClkJog=4"},
      {"PocsagBaud=0; Polarity=0", "PocsagBaud=2400", "PocsagBaud=2400; ClkJog=4"},
      {"PocsagBaud=2400; Polarity=Auto", "PocsagBaud=2400", ""},  // no change of value, no click
      // Ticking one format unticks the other and cleans the text for it; unticking changes nothing
      // else.
      // Alpha keeps codes 33 to 126, eleven of them; numeric its table's, twenty.
      {"NumericVC=1; VC= A~B!CD EF\x7f GH\tIJKL", "AlphaVC=1",
       "AlphaVC=1; NumericVC=0; VC=A~B!CDEFGHI"},
      {"AlphaVC=1; VC=12 ab-U5[]0123456789012345", "NumericVC=1",
       "AlphaVC=0; NumericVC=1; VC=12 -U5[]012345678901"},
      {"AlphaVC=1; VC=a b", "AlphaVC=0", "AlphaVC=0"},
  };
  for (const auto& [before, click, after] : cases) {
    const Configuration start =
        testing::Edited(StartupConfiguration(), std::string(before) + "; ClkJog=typed");
    const Configuration clicked = testing::Edited(start, click, true);
    EXPECT_EQ(testing::Values(clicked, after), after) << before << " " << click;
    EXPECT_TRUE(clicked == testing::Edited(start, after)) << before;
  }
}

TEST(DisplayFreq, MegahertzWithABlankAfterTheThirdDecimal) {
  const std::vector<std::pair<double, std::string>> cases{
      {459050000, "459.050 000"}, {459056250, "459.056 250"}, {45000000, "45.000 000"},
      {0, "0.000 000"},           {-950000, "-0.950 000"},    {1234567, "1.234 567"},
  };
  for (const auto& [hertz, text] : cases)
    EXPECT_EQ(DisplayFreq(hertz), text);
}

// A change of spacing moves the frequency down onto the new raster, whatever
// the frequency; the spacing chosen again changes nothing.
TEST(ChannelSpacing, OnlyAChangeRealignsAndAnyFrequencyCanBeRealigned) {
  struct Case {
    int option;  // the spacing before
    double freq;
    const char* selects;  // the spacings chosen in turn
    double expected;
  };
  for (const Case& c : {Case{1, 459056250, "0", 459055000}, Case{1, 459056250, "101", 459050000},
                        Case{0, 459051234, "0", 459051234},
                        Case{0, 3000006250.0, "1", 3000006250.0},  // far beyond 32 bits
                        Case{0, 3000006250.0 + 1250, "1", 3000006250.0}}) {
    Configuration cfg;
    SelectChanSpace(cfg, c.option);
    cfg.Freq = c.freq;
    for (const char* select = c.selects; *select; ++select)
      SelectChanSpace(cfg, *select - '0');
    EXPECT_EQ(cfg.Freq, c.expected) << c.freq << " " << c.selects;
  }
}

// Each button moves by its step, the first by the spacing, without limit.
TEST(FrequencySteps, EachButtonMovesByItsStepWithoutLimit) {
  const std::vector<std::pair<FreqStep, double>> steps{
      {FreqStep::Add, 5000},     {FreqStep::Sub, -5000},     {FreqStep::Add2, 25000},
      {FreqStep::Sub2, -25000},  {FreqStep::Add3, 100000},   {FreqStep::Sub3, -100000},
      {FreqStep::Add4, 1000000}, {FreqStep::Sub4, -1000000},
  };
  for (const auto& [step, change] : steps) {
    Configuration cfg;
    cfg.ChanSpace = 5000;
    cfg.Freq = 459050000;
    StepFreq(cfg, step);
    EXPECT_EQ(cfg.Freq, 459050000 + change);
  }
  Configuration cfg = StartupConfiguration();
  for (int press = 0; press < 460; ++press)
    StepFreq(cfg, FreqStep::Sub4);
  EXPECT_EQ(DisplayFreq(cfg.Freq), "-0.950 000");
}

// Clearing resets every value to start-up but keeps the user's choices of
// functions, monitors, channels, output modes, code types and the unit's rate.
TEST(ClearForm, ResetsValuesAndKeepsTheUsersChoices) {
  Configuration cfg = StartupConfiguration();
  const auto choices = [](Configuration& c) {
    c.Zones[4].CloseFunc = 2, c.Zones[4].TxMonitor = 1, c.Zones[4].RlyChan = 1;
    c.RlyMode = OutputMode::Timed, c.EnableAlphaCode = 0, c.BaudKova = 2;
  };
  choices(cfg);
  cfg.FileName = "site.kova", cfg.Ver = {"a", "b", "c"}, cfg.ClkJog = "1";
  cfg.PocsagBaud = PocsagRate::R2400, cfg.Polarity = PolarityMode::Inverted;
  cfg.Zones[4].CloseRIC1 = "1234", cfg.Zones[4].EnableClose = 1, cfg.RlyTime = "30";
  cfg.SynthRx = 1, cfg.ChanSpaceOption = 0, cfg.ChanSpace = 5000, cfg.Freq = 470000000;
  cfg.AlphaVC = 1, cfg.VC = "HELLO", cfg.SpeedLetter = 1;

  ClearForm(cfg);

  Configuration expected = StartupConfiguration();
  choices(expected);
  EXPECT_EQ(cfg, expected);
  EXPECT_EQ(cfg.ClkJog, "8");
  EXPECT_EQ(cfg.Zones[4].CloseRIC1, "0");
  EXPECT_EQ(DisplayFreq(cfg.Freq), "459.050 000");
}

}  // namespace
}  // namespace kova
