#include "image/interpret.h"

#include <gtest/gtest.h>

#include "image/clear_form.h"
#include "image/frequency.h"
#include "image/pack.h"

namespace kova {
namespace {

Document FromImage(const EEpromImage& image) {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.image = image;
  InterpretEEprom(doc);
  return doc;
}

TEST(Interpret, AnAllZeroImage) {
  const Configuration cfg = FromImage(EEpromImage{}).cfg;
  EXPECT_EQ(cfg.ETI, "0:00");
  EXPECT_EQ(cfg.Polarity, PolarityMode::Normal);
  EXPECT_EQ(cfg.PocsagBaud, PocsagRate::R1200);
  EXPECT_EQ(cfg.Hunting, HuntingMode::Off);
  EXPECT_EQ(cfg.ClkJog, "0");
  EXPECT_EQ(cfg.EnableAlphaCode, 1);
  EXPECT_EQ(cfg.EnableNumericCode, 1);
  EXPECT_EQ(cfg.BaudKova, 0);
  EXPECT_EQ(cfg.ResetRIC, "0");
  EXPECT_EQ(cfg.Zones[7].ToggleRIC2, "0");
  EXPECT_EQ(cfg.Zones[7].ToggleFunc, 0);
  EXPECT_EQ(cfg.Zones[7].EnableToggle, 0);
  EXPECT_EQ(cfg.RlyMode, OutputMode::WireOrd);
  EXPECT_EQ(cfg.SndrMode, OutputMode::WireOrd);
  EXPECT_EQ(cfg.ChanSpace, 5000);
  EXPECT_EQ(cfg.ChanSpaceOption, 0);
  EXPECT_EQ(cfg.Freq, 45000000);
  EXPECT_EQ(cfg.AlphaVC, 0);
  EXPECT_EQ(cfg.NumericVC, 0);
}

struct ModeCase {
  std::uint8_t byte5;
  std::uint8_t byte232;
  PocsagRate rate;
  PolarityMode polarity;
  HuntingMode hunting;
  int baudKova;
};

TEST(Interpret, ByteFiveAndTheRateRules) {
  const std::vector<ModeCase> cases{
      {0x03, 0, PocsagRate::R512, PolarityMode::Normal, HuntingMode::Off, 0},  // bit 0 first
      {0x0A, 0, PocsagRate::R2400, PolarityMode::Normal, HuntingMode::On, 1},  // bit 3 serves both
      {0x04, 0, PocsagRate::R1200, PolarityMode::Inverted, HuntingMode::Off, 0},
      {0x05, 1, PocsagRate::R512, PolarityMode::Auto, HuntingMode::Off, 0},
      {0x02, 1, PocsagRate::R2400, PolarityMode::Normal, HuntingMode::Off, 0},  // Auto dropped
      {0x38, 0, PocsagRate::R1200, PolarityMode::Normal, HuntingMode::On, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.byte5));
    EEpromImage image{};
    image[5] = c.byte5;
    image[232] = c.byte232;
    const Configuration cfg = FromImage(image).cfg;
    EXPECT_EQ(cfg.PocsagBaud, c.rate);
    EXPECT_EQ(cfg.Polarity, c.polarity);
    EXPECT_EQ(cfg.Hunting, c.hunting);
    EXPECT_EQ(cfg.BaudKova, c.baudKova);
  }
}

TEST(Interpret, TheClockJogComesFromTheImageNotFromTheRatePreset) {
  EEpromImage image{};
  image[5] = 1;  // 512 presets "16"
  image[6] = 0x37;
  const Configuration cfg = FromImage(image).cfg;
  EXPECT_EQ(cfg.ClkJog, "7");
  EXPECT_EQ(cfg.EnableAlphaCode, 0);
  EXPECT_EQ(cfg.EnableNumericCode, 0);
}

TEST(Interpret, ElapsedTimeAsHoursAndTwoDigitMinutes) {
  EEpromImage image{};
  image[0] = 5;
  image[1] = 1234 & 255;
  image[2] = 1234 >> 8;
  EXPECT_EQ(FromImage(image).cfg.ETI, "1234:05");
  image[1] = image[2] = image[3] = 255;
  image[0] = 59;
  EXPECT_EQ(FromImage(image).cfg.ETI, "16777215:59");
}

TEST(Interpret, ZoneTimeAndTestCallMonitor) {
  EEpromImage image{};
  image[29 + 6] = 0xFF;
  image[29 + 7] = 0xFF;
  const Zone zone = FromImage(image).cfg.Zones[0];
  EXPECT_EQ(zone.TxMonitor, 1);
  EXPECT_EQ(zone.CloseTMax, "327670");
}

TEST(Interpret, SynthesizerWord) {
  EEpromImage image{};
  image[229] = 0x01;
  image[230] = 0x0B;
  image[231] = 0x90;
  const Configuration cfg = FromImage(image).cfg;
  EXPECT_EQ(cfg.SynthN, 704);
  EXPECT_EQ(cfg.ChanSpace, 6250);
  EXPECT_EQ(cfg.ChanSpaceOption, 1);
  EXPECT_EQ(cfg.Freq, 49400000);
}

TEST(Interpret, SequenceFormats) {
  EEpromImage image{};
  image[232] = 4;
  image[4] = 0;
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.VC = "KEPT";
  doc.image = image;
  InterpretEEprom(doc);
  EXPECT_EQ(doc.cfg.AlphaVC, 0);
  EXPECT_EQ(doc.cfg.NumericVC, 0);
  EXPECT_EQ(doc.cfg.VC, "KEPT");

  image[4] = 12;
  image[232] = 0;
  image[7] = 0x84;
  image[8] = 0xC0;
  const Configuration numeric = FromImage(image).cfg;
  EXPECT_EQ(numeric.NumericVC, 1);
  EXPECT_EQ(numeric.AlphaVC, 0);
  EXPECT_EQ(numeric.VC, "123");
}

TEST(Interpret, MasksOnlyCountTheTenZonesAndNeverStopTheRead) {
  EEpromImage image{};
  image[27] = 0x01;
  image[28] = 0xFE;  // zone 10 and bits above it
  image[246] = 0x00;
  image[247] = 0xFF;
  image[245] = 42;
  image[232] = 0x38;
  const Configuration cfg = FromImage(image).cfg;
  EXPECT_EQ(cfg.Zones[0].SndrChan, 1);
  EXPECT_EQ(cfg.Zones[8].SndrChan, 0);
  EXPECT_EQ(cfg.Zones[9].SndrChan, 1);
  EXPECT_EQ(cfg.Zones[8].RlyChan, 1);
  EXPECT_EQ(cfg.Zones[9].RlyChan, 1);
  EXPECT_EQ(cfg.RlyTime, "42");  // steps after the masks still ran
  EXPECT_EQ(cfg.FrmZero, 1);
  EXPECT_EQ(cfg.SpeedLetter, 1);
}

TEST(Interpret, AnUnknownFunctionCodeShowsAsAllWithOneWarningPerField) {
  EEpromImage image{};
  image[29 + 2] = 6 << 5;   // zone 1 Close
  image[233 + 2] = 7 << 5;  // numeric output range
  image[245] = 9;
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.image = image;
  const auto warnings = InterpretEEprom(doc);
  EXPECT_EQ(doc.cfg.Zones[0].CloseFunc, 4);
  EXPECT_EQ(doc.cfg.NumericRepeatFunc, 4);
  EXPECT_EQ(doc.cfg.RlyTime, "9");
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0], "Chan 1 Close beep: the image holds function code 6, shown as ALL");
  EXPECT_EQ(warnings[1], "Numeric output beep: the image holds function code 7, shown as ALL");
}

TEST(Interpret, LeavesFieldsTheImageDoesNotHold) {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.Ver = {"v1", "v2", "v3"};
  doc.cfg.FileName = "unit.kova";
  doc.cfg.ComPort = 3;
  doc.cfg.BaudPC = 1;
  doc.cfg.ClkInc = "9";
  doc.image.fill(0xFF);
  const EEpromImage before = doc.image;
  InterpretEEprom(doc);
  EXPECT_EQ(doc.cfg.Ver[2], "v3");
  EXPECT_EQ(doc.cfg.FileName, "unit.kova");
  EXPECT_EQ(doc.cfg.ComPort, 3);
  EXPECT_EQ(doc.cfg.BaudPC, 1);
  EXPECT_EQ(doc.cfg.ClkInc, "9");
  EXPECT_EQ(doc.image, before);
}

// A configuration that sets every field the image holds to something other than its default.
Configuration EveryField() {
  Configuration cfg = StartupConfiguration();
  cfg.PocsagBaud = PocsagRate::R512;
  cfg.Polarity = PolarityMode::Inverted;
  cfg.BaudKova = 6;
  cfg.RlyMode = OutputMode::Timed;
  cfg.SndrMode = OutputMode::Timed;
  cfg.EnableAlphaCode = 0;
  cfg.EnableNumericCode = 0;
  cfg.ResetRIC = "11";
  cfg.ResetFunc = 1;
  cfg.ResetEnable = 1;
  cfg.Sign1RIC = "12";
  cfg.Sign1Func = 2;
  cfg.Sign1Enable = 1;
  cfg.Sign2RIC = "13";
  cfg.Sign2Func = 3;
  cfg.Sign2Enable = 1;
  cfg.SndrTime = "14";
  cfg.RepeatRIC1 = "15";
  cfg.AlphaRepeatFunc = 4;
  cfg.RepeatRIC2 = "16";
  cfg.EnableAlphaRepeat = 1;
  cfg.RepeatFilter = "17";
  for (int i = 0; i < kZoneCount; ++i) {
    Zone& z = cfg.Zones[i];
    const auto ric = [&](int k) { return std::to_string(100000 * i + 1000 * k + 7); };
    z.CloseRIC1 = ric(1);
    z.CloseFunc = i % 5;
    z.CloseRIC2 = ric(2);
    z.EnableClose = i % 2;
    z.CloseTMax = std::to_string(10 * (i * 3000 + 1));
    z.TxMonitor = (i + 1) % 2;
    z.OpenRIC1 = ric(3);
    z.OpenFunc = (i + 1) % 5;
    z.OpenRIC2 = ric(4);
    z.EnableOpen = (i + 1) % 2;
    z.ToggleRIC1 = ric(5);
    z.ToggleFunc = (i + 2) % 5;
    z.ToggleRIC2 = ric(6);
    z.EnableToggle = i % 2;
    z.SndrChan = i % 3 == 0;
    z.RlyChan = i % 4 == 0;
  }
  cfg.SynthRx = 1;
  cfg.ChanSpaceOption = 0;
  cfg.ChanSpace = 5000;
  cfg.Freq = 152000000;
  cfg.FrmZero = 1;
  cfg.SingleMsg = 1;
  cfg.SpeedLetter = 1;
  cfg.RepeatRIC3 = "2000000";
  cfg.NumericRepeatFunc = 3;
  cfg.RepeatRIC4 = "2097151";
  cfg.EnableNumericRepeat = 1;
  cfg.AlphaSubRIC = "21";
  cfg.AlphaSubFunc = 1;
  cfg.EnableAlphaSub = 1;
  cfg.NumericSubRIC = "22";
  cfg.NumericSubFunc = 2;
  cfg.EnableNumericSub = 1;
  cfg.RlyTime = "23";
  cfg.AlphaVC = 1;
  cfg.VC = "Kova~Pro!";
  return cfg;
}

TEST(RoundTrip, PackingWhatWasReadGivesTheSameImage) {
  Document doc;
  doc.cfg = EveryField();
  PackEEprom(doc);
  const Document packed = doc;

  Document read;
  read.cfg = StartupConfiguration();
  read.image = packed.image;
  EXPECT_TRUE(InterpretEEprom(read).empty());
  // Every field the image holds comes back as it was packed.
  Configuration expected = packed.cfg;
  expected.ETI = "0:00";
  expected.SynthN = (152000000 - 45000000) / 5000;
  EXPECT_EQ(read.cfg, expected);

  PackEEprom(read);
  EXPECT_EQ(read.image, packed.image);
}

TEST(RoundTrip, ANumericSequenceAndTheSixPointTwoFiveRaster) {
  Document doc;
  doc.cfg = EveryField();
  doc.cfg.AlphaVC = 0;
  doc.cfg.NumericVC = 1;
  doc.cfg.VC = "0123456789AU -][";
  doc.cfg.ChanSpaceOption = 1;
  doc.cfg.ChanSpace = 6250;
  doc.cfg.Freq = 459056250;
  PackEEprom(doc);
  const EEpromImage first = doc.image;
  InterpretEEprom(doc);
  EXPECT_EQ(doc.cfg.VC, "0123456789AU -][");
  EXPECT_EQ(DisplayFreq(doc.cfg.Freq), "459.056 250");
  PackEEprom(doc);
  EXPECT_EQ(doc.image, first);
}

}  // namespace
}  // namespace kova
