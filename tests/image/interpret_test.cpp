// SPDX-License-Identifier: GPL-3.0-or-later
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
  EXPECT_EQ(cfg.ClkJog, "0");
  EXPECT_EQ(cfg.EnableAlphaCode + cfg.EnableNumericCode, 2);
  EXPECT_EQ(cfg.RlyMode, OutputMode::WireOrd);
  EXPECT_EQ(cfg.ChanSpaceOption, 0);
  EXPECT_EQ(cfg.Freq, 45000000);
  EXPECT_EQ(cfg.AlphaVC + cfg.NumericVC, 0);
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

// The alpha format bit with no length names no sequence: the text stays.
TEST(Interpret, AFormatWithoutALengthKeepsTheText) {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.VC = "KEPT";
  doc.image[232] = 4;
  InterpretEEprom(doc);
  EXPECT_EQ(doc.cfg.AlphaVC + doc.cfg.NumericVC, 0);
  EXPECT_EQ(doc.cfg.VC, "KEPT");
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
  Configuration c = StartupConfiguration();
  c.PocsagBaud = PocsagRate::R512, c.Polarity = PolarityMode::Inverted, c.BaudKova = 6;
  c.RlyMode = c.SndrMode = OutputMode::Timed, c.EnableAlphaCode = c.EnableNumericCode = 0;
  c.ResetRIC = "11", c.ResetFunc = 1, c.ResetEnable = 1;
  c.Sign1RIC = "12", c.Sign1Func = 2, c.Sign1Enable = 1;
  c.Sign2RIC = "13", c.Sign2Func = 3, c.Sign2Enable = 1;
  c.SndrTime = "14", c.RepeatFilter = "17", c.RlyTime = "23";
  c.RepeatRIC1 = "15", c.AlphaRepeatFunc = 4, c.RepeatRIC2 = "16", c.EnableAlphaRepeat = 1;
  c.RepeatRIC3 = "2000000", c.NumericRepeatFunc = 3, c.RepeatRIC4 = "2097151";
  c.EnableNumericRepeat = 1;
  c.AlphaSubRIC = "21", c.AlphaSubFunc = 1, c.EnableAlphaSub = 1;
  c.NumericSubRIC = "22", c.NumericSubFunc = 2, c.EnableNumericSub = 1;
  c.SynthRx = 1, c.ChanSpaceOption = 0, c.ChanSpace = 5000, c.Freq = 152000000;
  c.FrmZero = c.SingleMsg = c.SpeedLetter = 1;
  c.AlphaVC = 1, c.VC = "Kova~Pro!";
  for (int i = 0; i < kZoneCount; ++i) {
    Zone& z = c.Zones[i];
    const auto ric = [&](int k) { return std::to_string(100000 * i + 1000 * k + 7); };
    z.CloseRIC1 = ric(1), z.CloseRIC2 = ric(2), z.OpenRIC1 = ric(3), z.OpenRIC2 = ric(4);
    z.ToggleRIC1 = ric(5), z.ToggleRIC2 = ric(6);
    z.CloseFunc = i % 5, z.OpenFunc = (i + 1) % 5, z.ToggleFunc = (i + 2) % 5;
    z.EnableClose = z.EnableToggle = i % 2, z.EnableOpen = z.TxMonitor = (i + 1) % 2;
    z.CloseTMax = std::to_string(10 * (i * 3000 + 1));
    z.SndrChan = i % 3 == 0, z.RlyChan = i % 4 == 0;
  }
  return c;
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
