#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/profile.h"
#include "files_test_support.h"

namespace kova {
namespace {

using test::Fixture;
using test::StartupDocument;

Document Load(const char* fixture, const Document& current) {
  ProfileLoad load = ReadProfile(Fixture(fixture), current);
  EXPECT_TRUE(load.ok()) << (load.failure ? load.failure->text : "");
  EXPECT_TRUE(load.warnings.empty());
  return load.ok() ? *load.document : current;
}

TEST(LegacyLayout, LoadsEveryKeyIntoItsField) {
  Document current = StartupDocument();
  current.image[100] = 0x5A;
  const Document doc = Load("legacy_full.kova", current);
  const Configuration& cfg = doc.cfg;

  EXPECT_EQ(cfg.Ver,
            (std::array<std::string, 3>{"2.07", "Mar  3 2001", "EEprom Layout Version 1"}));
  EXPECT_EQ(cfg.PocsagBaud, PocsagRate::R2400);
  EXPECT_EQ(cfg.Polarity, PolarityMode::Inverted);
  EXPECT_EQ(cfg.ComPort, 2);
  EXPECT_EQ(cfg.BaudPC, 3);
  EXPECT_EQ(cfg.BaudKova, 1);
  EXPECT_EQ(cfg.ClkJog, "5");  // the file's value, not the "4" that 2400 baud presets
  EXPECT_EQ(cfg.Sign1Enable, 1);
  EXPECT_EQ(cfg.Sign1RIC, "654321");
  EXPECT_EQ(cfg.Sign1Func, 3);
  EXPECT_EQ(cfg.Sign2Enable, 0);
  EXPECT_EQ(cfg.Sign2RIC, "11");
  EXPECT_EQ(cfg.Sign2Func, 1);
  EXPECT_EQ(cfg.EnableAlphaRepeat, 1);
  EXPECT_EQ(cfg.RepeatRIC1, "100000");
  EXPECT_EQ(cfg.RepeatRIC2, "100007");
  EXPECT_EQ(cfg.AlphaRepeatFunc, 4);
  EXPECT_EQ(cfg.EnableAlphaCode, 0);
  EXPECT_EQ(cfg.ResetEnable, 1);
  EXPECT_EQ(cfg.ResetRIC, "2000000");
  EXPECT_EQ(cfg.ResetFunc, 2);
  EXPECT_EQ(cfg.RlyMode, OutputMode::Timed);
  EXPECT_EQ(cfg.RlyTime, "30");
  EXPECT_EQ(cfg.RepeatFilter, "7");

  const Zone& chan1 = cfg.Zones[0];
  EXPECT_EQ(chan1.EnableClose, 1);
  EXPECT_EQ(chan1.CloseRIC1, "123456");
  EXPECT_EQ(chan1.CloseRIC2, "123460");
  EXPECT_EQ(chan1.CloseFunc, 2);
  EXPECT_EQ(chan1.CloseTMax, "60");
  EXPECT_EQ(chan1.EnableOpen, 1);
  EXPECT_EQ(chan1.OpenRIC1, "200000");
  EXPECT_EQ(chan1.OpenRIC2, "200001");
  EXPECT_EQ(chan1.OpenFunc, 4);
  EXPECT_EQ(chan1.ToggleRIC1, "0");
  EXPECT_EQ(chan1.RlyChan, 1);
  EXPECT_EQ(cfg.Zones[1].CloseRIC1, "5");
  EXPECT_EQ(cfg.Zones[1].CloseRIC2, "");  // missing key: its default
  EXPECT_EQ(cfg.Zones[9].ToggleRIC2, "1000");
  EXPECT_EQ(cfg.Zones[9].ToggleFunc, 3);

  // L11 .. L13: the sounder follows the relay; synthesizer off at the default frequency.
  EXPECT_EQ(cfg.SndrMode, OutputMode::Timed);
  EXPECT_EQ(cfg.SndrTime, "30");
  for (int i = 0; i < kZoneCount; ++i)
    EXPECT_EQ(cfg.Zones[i].SndrChan, cfg.Zones[i].RlyChan);
  EXPECT_EQ(cfg.SynthRx, 0);
  EXPECT_EQ(cfg.ChanSpace, 6250);
  EXPECT_EQ(cfg.Freq, 459050000);

  // A legacy file neither reads nor changes the image.
  EXPECT_EQ(doc.image, current.image);
}

TEST(LegacyLayout, ANumericRepeaterLeavesTheAlphaOneAlone) {
  Document current = StartupDocument();
  current.cfg.RepeatRIC1 = "1";
  current.cfg.RepeatRIC2 = "2";
  current.cfg.EnableAlphaRepeat = 1;
  current.cfg.AlphaRepeatFunc = 3;
  current.cfg.EnableAlphaCode = 1;
  const Configuration cfg = Load("legacy_numeric_repeater.kova", current).cfg;
  EXPECT_EQ(cfg.EnableNumericRepeat, 1);
  EXPECT_EQ(cfg.RepeatRIC3, "500000");
  EXPECT_EQ(cfg.RepeatRIC4, "500099");
  EXPECT_EQ(cfg.NumericRepeatFunc, 2);
  EXPECT_EQ(cfg.EnableNumericCode, 0);
  EXPECT_EQ(cfg.RepeatRIC1, "1");
  EXPECT_EQ(cfg.RepeatRIC2, "2");
  EXPECT_EQ(cfg.EnableAlphaRepeat, 1);
  EXPECT_EQ(cfg.AlphaRepeatFunc, 3);
  EXPECT_EQ(cfg.EnableAlphaCode, 1);
}

TEST(LegacyLayout, RepeatNumericMustBeExactlyOne) {
  const std::vector<std::pair<const char*, bool>> cases{
      {"1", true},  {"1.0", true}, {" +1 ", true}, {"&H1", true},
      {"0", false}, {"2", false},  {"0.5", false}, {"1.4", false},
  };
  for (const auto& [value, numeric] : cases) {
    const std::string text =
        "[Version]\nKova Pro=Kova Pro Configuration 1.1\n[Serial Data]\n"
        "Repeat Numeric=" +
        std::string(value) + "\nRepeat RIC1=321\n";
    const ProfileLoad load = ReadProfileText(text, "x.kova", StartupDocument());
    ASSERT_TRUE(load.ok()) << value;
    EXPECT_EQ(load.document->cfg.RepeatRIC3, numeric ? "321" : "0") << value;
    EXPECT_EQ(load.document->cfg.RepeatRIC1, numeric ? "0" : "321") << value;
  }
}

TEST(LegacyLayout, MissingSectionsGiveDefaultsAndGroupsCanEndEmpty) {
  Document current = StartupDocument();
  current.cfg.Zones[2].CloseRIC1 = "999";
  current.cfg.Zones[2].ToggleFunc = 3;
  current.cfg.Zones[4].TxMonitor = 1;
  current.cfg.VC = "KEEP";
  current.cfg.SndrTime = "12";
  current.cfg.SynthRx = 1;
  const Configuration cfg = Load("legacy_missing_sections.kova", current).cfg;

  // "Baud1200=false" and "Polarity Normal=0" clear the selected buttons; the
  // relay's two buttons both default to false, which clears "Fixed".
  EXPECT_EQ(cfg.PocsagBaud, PocsagRate::None);
  EXPECT_EQ(cfg.Polarity, PolarityMode::None);
  EXPECT_EQ(cfg.RlyMode, OutputMode::None);
  EXPECT_EQ(cfg.SndrMode, OutputMode::None);
  EXPECT_EQ(cfg.SndrTime, "");  // copied from the relay's empty time
  EXPECT_EQ(cfg.ClkJog, "8");
  EXPECT_EQ(cfg.Ver[0], "");
  EXPECT_EQ(cfg.ComPort, 0);
  EXPECT_EQ(cfg.BaudPC, 4);
  EXPECT_EQ(cfg.BaudKova, 4);

  EXPECT_EQ(cfg.Zones[0].EnableClose, 1);
  EXPECT_EQ(cfg.Zones[0].CloseRIC1, "42");
  const Zone& chan3 = cfg.Zones[2];
  for (const int value : {chan3.EnableClose, chan3.CloseFunc, chan3.EnableOpen, chan3.OpenFunc,
                          chan3.EnableToggle, chan3.ToggleFunc, chan3.RlyChan}) {
    EXPECT_EQ(value, 0);
  }
  for (const auto& text : {chan3.CloseRIC1, chan3.CloseRIC2, chan3.CloseTMax, chan3.OpenRIC1,
                           chan3.OpenRIC2, chan3.ToggleRIC1, chan3.ToggleRIC2}) {
    EXPECT_EQ(text, "");
  }
  // Fields the legacy layout does not name keep their values.
  EXPECT_EQ(cfg.Zones[4].TxMonitor, 1);
  EXPECT_EQ(cfg.VC, "KEEP");
  EXPECT_EQ(cfg.SynthRx, 0);
}

struct RateCase {
  PolarityMode before;
  const char* general;
  PocsagRate rate;
  PolarityMode polarity;
  const char* clkJog;  // with no "Clk Jog" key the file's default "8" replaces the preset
};

TEST(LegacyLayout, RateButtonsRunTheirClickBeforeThePolarityButtons) {
  const std::vector<RateCase> cases{
      // 2400 moves Auto to Normal, then "Polarity Normal=False" clears Normal.
      {PolarityMode::Auto, "Baud2400=1\nPolarity Normal=False", PocsagRate::R2400,
       PolarityMode::None, "8"},
      {PolarityMode::Auto, "Baud2400=1", PocsagRate::R2400, PolarityMode::Normal, "8"},
      // 512 keeps Auto; "Polarity Normal" false on a group at Auto changes nothing.
      {PolarityMode::Auto, "Baud512=TRUE\nBaud1200=0\nPolarity Normal=0", PocsagRate::R512,
       PolarityMode::Auto, "8"},
      // The last true button wins; 1200 then cleared by nothing.
      {PolarityMode::Normal, "Baud512=1\nBaud2400=1\nPolarity Inverted=-1", PocsagRate::R2400,
       PolarityMode::Inverted, "8"},
  };
  for (const auto& c : cases) {
    Document current = StartupDocument();
    current.cfg.Polarity = c.before;
    const std::string text = "[Version]\nKova Pro=Kova Pro Configuration 1.1\n[General]\n" +
                             std::string(c.general) + "\n";
    const ProfileLoad load = ReadProfileText(text, "x.kova", current);
    ASSERT_TRUE(load.ok()) << c.general;
    EXPECT_EQ(load.document->cfg.PocsagBaud, c.rate) << c.general;
    EXPECT_EQ(load.document->cfg.Polarity, c.polarity) << c.general;
    EXPECT_EQ(load.document->cfg.ClkJog, c.clkJog) << c.general;
  }
}

}  // namespace
}  // namespace kova
