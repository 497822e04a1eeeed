// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/interpret.h"

#include <gtest/gtest.h>

#include <random>

#include "every_field.h"
#include "image/clear_form.h"
#include "image/field_table.h"
#include "image/frequency.h"
#include "image/pack.h"

namespace kova {
namespace {

Document FromImage(const EEpromImage& image) {
  Document doc = StartupDocument();
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
  Document doc = StartupDocument();
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
  Document doc = StartupDocument();
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
  Document doc = StartupDocument();
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

// What a field holds, as text, to compare fields of any kind.
std::string ValueOf(const Configuration& cfg, const Field& field, int index) {
  return field.kind == FieldKind::Text ? GetText(cfg, field, index)
                                       : std::to_string(GetNumber(cfg, field, index));
}

// Every field the image holds, set from the table to a value other than
// start-up's, comes back from packing and reading; packing what was read
// gives the same bytes. A row without its pack or read step fails here.
TEST(RoundTrip, EveryFieldTheImageHoldsComesBack) {
  for (const bool numeric : {false, true}) {
    Document doc;
    doc.cfg = testing::EveryField(numeric ? 3 : 0);
    if (numeric) {
      doc.cfg.AlphaVC = 0, doc.cfg.NumericVC = 1, doc.cfg.VC = "0123456789AU -][0123";
      doc.cfg.ChanSpace = 6250, doc.cfg.ChanSpaceOption = 1, doc.cfg.Freq = 459056250;
    }
    PackEEprom(doc);
    Document read = StartupDocument();
    read.image = doc.image;
    EXPECT_TRUE(InterpretEEprom(read).empty());
    for (const Field& field : Fields()) {
      if (field.home != FieldHome::Unit) continue;
      for (const int i : testing::Indexes(field)) {
        SCOPED_TRACE(ControlName(field, i));
        EXPECT_EQ(ValueOf(read.cfg, field, i), ValueOf(doc.cfg, field, i));
      }
    }
    PackEEprom(read);
    EXPECT_EQ(read.image, doc.image);
  }
}

// Any image read and packed again keeps every bit that a row holds.
TEST(RoundTrip, AnyImageKeepsTheBitsOfEveryRow) {
  std::mt19937 random(17);
  for (int n = 0; n < 300; ++n) {
    Document doc = StartupDocument();
    for (auto& byte : doc.image)
      byte = static_cast<std::uint8_t>(random());
    const auto bitsOf = [](const Field& field, int i) {
      return field.zoned() && field.codec != Codec::ZoneBit ? field.bits.At(addr::ZoneStart(i))
                                                            : field.bits;
    };
    // A function code beyond its list reads as the list's last item, with a warning.
    for (const Field& field : Fields()) {
      if (field.codec != Codec::Item) continue;
      for (const int i : testing::Indexes(field)) {
        const int last = static_cast<int>(field.items.size()) - 1;
        if (bitsOf(field, i).Get(doc.image) > last) bitsOf(field, i).Put(doc.image, last);
      }
    }
    const EEpromImage given = doc.image;
    ASSERT_TRUE(InterpretEEprom(doc).empty());
    PackWithoutTrace(doc);
    for (const Field& field : Fields()) {
      if (field.packStep == 0) continue;
      for (const int i : testing::Indexes(field)) {
        SCOPED_TRACE(ControlName(field, i));
        EXPECT_EQ(bitsOf(field, i).Get(doc.image), bitsOf(field, i).Get(given));
      }
    }
  }
}

}  // namespace
}  // namespace kova
