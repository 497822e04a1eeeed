#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/profile.h"
#include "files_test_support.h"

namespace kova {
namespace {

using namespace test;

Configuration Load(const char* fixture, const Document& current) {
  ProfileLoad load = ReadProfile(Fixture(fixture), current);
  if (!load.ok()) {
    ADD_FAILURE() << load.failure->text;
    return current.cfg;
  }
  EXPECT_EQ(load.document->image, current.image);  // a legacy file leaves the image alone
  return load.document->cfg;
}

TEST(LegacyLayout, LoadsEachStepIntoItsFields) {
  const Configuration cfg = Load("legacy_full.kova", StartupDocument());
  EXPECT_EQ(cfg.Ver,
            (std::array<std::string, 3>{"2.07", "Mar  3 2001", "EEprom Layout Version 1"}));
  EXPECT_EQ(cfg.PocsagBaud, PocsagRate::R2400);
  EXPECT_EQ(cfg.Polarity, PolarityMode::Inverted);
  EXPECT_EQ(cfg.ClkJog, "5");  // the file's, not the "4" that 2400 baud presets
  EXPECT_EQ(cfg.Sign1RIC, "654321");
  EXPECT_EQ(cfg.RepeatRIC2, "100007");
  EXPECT_EQ(cfg.AlphaRepeatFunc, 4);
  EXPECT_EQ(cfg.EnableAlphaCode, 0);
  EXPECT_EQ(cfg.ResetRIC, "2000000");
  EXPECT_EQ(cfg.Zones[0].CloseTMax, "60");
  EXPECT_EQ(cfg.Zones[1].CloseRIC2, "");  // a missing key takes its default
  EXPECT_EQ(cfg.Zones[9].ToggleRIC2, "1000");
  // The sounder copies the relay; the synthesizer is off at the default frequency.
  EXPECT_EQ(cfg.SndrMode, OutputMode::Timed);
  EXPECT_EQ(cfg.SndrTime, "30");
  for (const auto& zone : cfg.Zones)
    EXPECT_EQ(zone.SndrChan, zone.RlyChan);
  EXPECT_EQ(cfg.SynthRx, 0);
  EXPECT_EQ(cfg.Freq, 459050000);
}

TEST(LegacyLayout, MissingSectionsGiveDefaultsAndUnnamedFieldsKeepTheirValues) {
  Document current = StartupDocument();
  current.cfg.Zones[2].CloseRIC1 = "999";
  current.cfg.Zones[2].ToggleFunc = 3;
  current.cfg.Zones[4].TxMonitor = 1;
  current.cfg.VC = "KEEP";
  const Configuration cfg = Load("legacy_missing_sections.kova", current);
  // "Baud1200=false" and "Polarity Normal=0" clear their buttons, and both
  // relay buttons default to false: the groups end with nothing selected.
  EXPECT_EQ(cfg.PocsagBaud, PocsagRate::None);
  EXPECT_EQ(cfg.Polarity, PolarityMode::None);
  EXPECT_EQ(cfg.SndrMode, OutputMode::None);
  EXPECT_EQ(cfg.Zones[0].CloseRIC1, "42");
  Zone chan3;
  chan3.CloseFunc = chan3.OpenFunc = chan3.ToggleFunc = 0;
  EXPECT_TRUE(cfg.Zones[2] == chan3);
  EXPECT_EQ(cfg.Zones[4].TxMonitor, 1);
  EXPECT_EQ(cfg.VC, "KEEP");
}

TEST(LegacyLayout, ANumericRepeaterNeedsExactlyOneAndLeavesTheAlphaOneAlone) {
  Document current = StartupDocument();
  current.cfg.RepeatRIC1 = "1";
  current.cfg.AlphaRepeatFunc = 3;
  const Configuration cfg = Load("legacy_numeric_repeater.kova", current);
  EXPECT_EQ(cfg.RepeatRIC4, "500099");
  EXPECT_EQ(cfg.NumericRepeatFunc, 2);
  EXPECT_EQ(cfg.EnableNumericCode, 0);
  EXPECT_EQ(cfg.RepeatRIC1, "1");
  EXPECT_EQ(cfg.AlphaRepeatFunc, 3);

  for (const auto& [value, numeric] : std::vector<std::pair<std::string, bool>>{
           {"1.0", true}, {"&H1", true}, {"2", false}, {"0.5", false}, {"1.4", false}}) {
    const ProfileLoad load = ReadProfileText(
        "[Version]\nKova Pro=Kova Pro Configuration 1.1\n[Serial Data]\nRepeat Numeric=" + value +
            "\nRepeat RIC1=321\n",
        "x", StartupDocument());
    ASSERT_TRUE(load.ok()) << value;
    EXPECT_EQ(load.document->cfg.RepeatRIC3, numeric ? "321" : "0") << value;
  }
}

struct RateCase {
  PolarityMode before;
  const char* general;
  PocsagRate rate;
  PolarityMode polarity;
};

TEST(LegacyLayout, RateButtonsClickBeforeThePolarityButtonsAreSet) {
  const std::vector<RateCase> cases{
      // 2400 moves Auto to Normal, which "Polarity Normal=False" then clears.
      {PolarityMode::Auto, "Baud2400=1\nPolarity Normal=False", PocsagRate::R2400,
       PolarityMode::None},
      {PolarityMode::Auto, "Baud2400=1", PocsagRate::R2400, PolarityMode::Normal},
      {PolarityMode::Auto, "Baud512=TRUE\nBaud1200=0\nPolarity Normal=0", PocsagRate::R512,
       PolarityMode::Auto},
      {PolarityMode::Normal, "Baud512=1\nBaud2400=1\nPolarity Inverted=-1", PocsagRate::R2400,
       PolarityMode::Inverted},
  };
  for (const auto& c : cases) {
    Document current = StartupDocument();
    current.cfg.Polarity = c.before;
    const ProfileLoad load = ReadProfileText(
        "[Version]\nKova Pro=Kova Pro Configuration 1.1\n[General]\n" + std::string(c.general), "x",
        current);
    ASSERT_TRUE(load.ok()) << c.general;
    EXPECT_EQ(load.document->cfg.PocsagBaud, c.rate) << c.general;
    EXPECT_EQ(load.document->cfg.Polarity, c.polarity) << c.general;
    EXPECT_EQ(load.document->cfg.ClkJog, "8")
        << c.general;  // the file's default replaces the preset
  }
}

}  // namespace
}  // namespace kova
