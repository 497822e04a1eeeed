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
      {"NumericVC=1; VC= AB CD EF GH IJ\tKL", "AlphaVC=1",
       "AlphaVC=1; NumericVC=0; VC=ABCDEFGHIJK"},
      {"AlphaVC=1; VC=12 ab-U5[]", "NumericVC=1", "AlphaVC=0; NumericVC=1; VC=12 -U5[]"},
      {"AlphaVC=1; VC=a b", "AlphaVC=0", "AlphaVC=0"},
  };
  for (const auto& [before, click, after] : cases) {
    const Configuration start = testing::Edited(StartupConfiguration(), before);
    const Configuration clicked =
        testing::Edited(testing::Edited(start, "ClkJog=typed"), click, true);
    EXPECT_EQ(testing::Values(clicked, after), after) << before << " " << click;
    EXPECT_TRUE(clicked == testing::Edited(testing::Edited(start, "ClkJog=typed"), after))
        << before;
  }
}

TEST(SequenceFormat, EnforceCutsToTheFormatsLength) {
  Configuration cfg;
  cfg.VC = std::string(30, '7');
  EnforceNumeric(cfg);
  EXPECT_EQ(cfg.VC, std::string(20, '7'));
  cfg.VC = std::string("\x7f~!") + std::string(12, 'x');
  EnforceAlpha(cfg);
  EXPECT_EQ(cfg.VC, "~!" + std::string(9, 'x'));
}

TEST(CopyRelayToSounder, CopiesModeTimeAndChannels) {
  Configuration cfg;
  cfg.RlyMode = OutputMode::Timed;
  cfg.RlyTime = "30";
  cfg.Zones[0].RlyChan = 1;
  cfg.Zones[2].RlyChan = 1;
  cfg.Zones[5].SndrChan = 1;
  CopyRelayToSounder(cfg);
  EXPECT_EQ(cfg.SndrMode, OutputMode::Timed);
  EXPECT_EQ(cfg.SndrTime, "30");
  for (int i = 0; i < kZoneCount; ++i)
    EXPECT_EQ(cfg.Zones[i].SndrChan, i == 0 || i == 2) << i;
}

TEST(DisplayFreq, MegahertzWithABlankAfterTheThirdDecimal) {
  const std::vector<std::pair<double, std::string>> cases{
      {459050000, "459.050 000"}, {459056250, "459.056 250"}, {45000000, "45.000 000"},
      {0, "0.000 000"},           {-950000, "-0.950 000"},    {1234567, "1.234 567"},
  };
  for (const auto& [hertz, text] : cases)
    EXPECT_EQ(DisplayFreq(hertz), text);
}

TEST(ChannelSpacing, MovesTheFrequencyDownOntoTheNewRaster) {
  Configuration cfg;
  cfg.ChanSpaceOption = 1;
  cfg.ChanSpace = 6250;
  cfg.Freq = 459050000;
  StepFreq(cfg, FreqStep::Add);
  EXPECT_EQ(DisplayFreq(cfg.Freq), "459.056 250");
  SelectChanSpace(cfg, 0);
  EXPECT_EQ(cfg.ChanSpace, 5000);
  EXPECT_EQ(DisplayFreq(cfg.Freq), "459.055 000");
  StepFreq(cfg, FreqStep::Add);
  EXPECT_EQ(DisplayFreq(cfg.Freq), "459.060 000");
  cfg.Freq = 459056250;
  SelectChanSpace(cfg, 1);
  SelectChanSpace(cfg, 0);
  SelectChanSpace(cfg, 1);
  EXPECT_EQ(cfg.Freq, 459050000);
}

TEST(ChannelSpacing, OnlyAChangeRealignsAndAnyFrequencyCanBeRealigned) {
  struct Case {
    double freq;
    int select;
    double expected;
  };
  for (const Case& c : {Case{459051234, 0, 459051234},  // same spacing again: no click, no change
                        Case{3000006250.0, 1, 3000006250.0},  // far beyond 32 bits, on the raster
                        Case{3000006250.0 + 1250, 1, 3000006250.0}}) {
    Configuration cfg;
    SelectChanSpace(cfg, 0);
    cfg.Freq = c.freq;
    SelectChanSpace(cfg, c.select);
    EXPECT_EQ(cfg.Freq, c.expected) << c.freq;
  }
}

TEST(FrequencySteps, EachButtonMovesByItsStepWithoutLimit) {
  const std::vector<std::pair<FreqStep, double>> steps{
      {FreqStep::Add, 6250},     {FreqStep::Sub, -6250},     {FreqStep::Add2, 25000},
      {FreqStep::Sub2, -25000},  {FreqStep::Add3, 100000},   {FreqStep::Sub3, -100000},
      {FreqStep::Add4, 1000000}, {FreqStep::Sub4, -1000000},
  };
  for (const auto& [step, change] : steps) {
    Configuration cfg;
    cfg.ChanSpace = 6250;
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
