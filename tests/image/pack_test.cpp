// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pack.h"

#include <gtest/gtest.h>

#include <functional>

#include "image/clear_form.h"
#include "image/field_names.h"

namespace kova {
namespace {

Document Packed(const std::function<void(Configuration&)>& edit) {
  Document doc = StartupDocument();
  edit(doc.cfg);
  PackEEprom(doc);
  return doc;
}

struct Bytes {
  int address;
  std::vector<int> values;
};

struct PackCase {
  std::string what;
  std::function<void(Configuration&)> edit;
  std::vector<Bytes> expected;
};

// The worked bytes of the bit map, each from a configuration one edit away from start-up.
TEST(Pack, FieldsLandOnTheirBits) {
  const std::vector<PackCase> cases{
      {"512, unit at 9600, relay timed",
       [](Configuration& c) {
         c.PocsagBaud = PocsagRate::R512, c.BaudKova = 4, c.RlyMode = OutputMode::Timed;
       },
       {{5, {1 + 32 + 64}}}},
      {"Orvel codes stored inverted",
       [](Configuration& c) { c.EnableAlphaCode = 0; },
       {{6, {32 | 4}}}},
      {"Auto polarity is byte 232, not byte 5",
       [](Configuration& c) { c.Polarity = PolarityMode::Auto; },
       {{5, {32}}, {232, {1}}}},
      {"zone 1 Close range and time",
       [](Configuration& c) {
         c.Zones[0].CloseRIC1 = "1000", c.Zones[0].CloseFunc = 4, c.Zones[0].CloseRIC2 = "1999";
         c.Zones[0].EnableClose = 1, c.Zones[0].CloseTMax = "3600";
       },
       {{29, {0xE8, 0x03, 0x80, 0xCF, 0x07, 0x80, 0x68, 0x01}}}},
      {"TMax in tens rounded down, TxMonitor on top",
       [](Configuration& c) {
         c.Zones[1].CloseTMax = "15", c.Zones[2].CloseTMax = "327670", c.Zones[2].TxMonitor = 1;
       },
       {{55, {1, 0}}, {75, {0xFF, 0xFF}}}},
      {"synthesizer at 6.25 kHz", [](Configuration&) {}, {{229, {0x21, 0x0B, 0x94}}}},
      {"synthesizer at 5 kHz",
       [](Configuration& c) {
         c.ChanSpaceOption = 0, c.ChanSpace = 5000, c.Freq = 45000000 + 704 * 5000;
       },
       {{229, {0x01, 0x0B, 0x10}}}},
      {"masks over two bytes; greyed stays in its own bit",
       [](Configuration& c) {
         c.Zones[0].SndrChan = 1, c.Zones[9].SndrChan = 1, c.Zones[8].RlyChan = 2;
       },
       {{27, {1, 2}}, {246, {0, 1}}}},
      {"numeric sequence",
       [](Configuration& c) { c.NumericVC = 1, c.VC = "123"; },
       {{4, {12}}, {7, {0x84, 0xC0}}, {232, {0}}}},
      {"alpha sequence",
       [](Configuration& c) { c.AlphaVC = 1, c.VC = "A"; },
       {{4, {7}}, {7, {0x82}}, {232, {4}}}},
      {"alpha format without a sequence leaves the format bit clear",
       [](Configuration& c) { c.AlphaVC = 1, c.VC = "   "; },
       {{4, {0}}, {232, {0}}}},
      {"values at their limits",
       [](Configuration& c) {
         c.ResetRIC = "2097151", c.SndrTime = "255", c.Zones[0].CloseTMax = "327670";
         c.Freq = 45000000 + 262143.0 * 6250, c.AlphaVC = 1, c.VC = "ABCDEFGHIJK   ";
       },
       {{4, {77}}, {10, {0xFF, 0xFF, 0x1F}}, {19, {255}}, {35, {0xFF, 0x7F}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Document doc = Packed(c.edit);
    for (const auto& [address, values] : c.expected) {
      for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(doc.image[address + i], values[i]) << "byte " << address + i;
      }
    }
  }
}

TEST(Pack, TheClockJogIsForcedFromTheRate) {
  for (const auto& [rate, jog] : std::vector<std::pair<PocsagRate, std::string>>{
           {PocsagRate::R1200, "4"}, {PocsagRate::R512, "4"}, {PocsagRate::R2400, "1"}}) {
    const Document doc = Packed([&](Configuration& cfg) {
      cfg.PocsagBaud = rate;
      cfg.ClkJog = "9";
    });
    EXPECT_EQ(addr::kClockJog.Get(doc.image), std::stoi(jog));
    EXPECT_EQ(doc.cfg.ClkJog, jog);
  }
}

TEST(Pack, WithoutASequenceFormatTheAreaKeepsItsBytes) {
  Document doc = StartupDocument();
  for (int address : {0, 1, 2, 3, 7, 8, 9, 248, 254, 255})
    doc.image[address] = 0xA5;
  doc.image[4] = 33;
  doc.cfg.VC = "IGNORED";
  PackEEprom(doc);
  EXPECT_EQ(doc.image[4], 0);
  for (int address : {0, 1, 2, 3, 7, 8, 9, 248, 254, 255})
    EXPECT_EQ(doc.image[address], 0xA5);
}

struct Refusal {
  std::string what;
  std::function<void(Configuration&)> edit;
  std::string message;
  std::string control;
};

TEST(Pack, RefusesValuesThatWouldBecomeOtherDataAndChangesNothing) {
  const std::vector<Refusal> cases{
      {"not a number", [](Configuration& c) { c.Zones[2].CloseRIC1 = "abc"; },
       "Chan 3 Close RIC: 'abc' is not a number", "txtCloseRIC1(2)"},
      {"empty RIC", [](Configuration& c) { c.ResetRIC = ""; }, "Reset RIC: '' is not a number",
       "txtResetRIC"},
      {"RIC too big", [](Configuration& c) { c.Sign1RIC = "2097152"; },
       "Serial sign 1 RIC: '2097152' is outside 0..2097151", "txtSign1RIC"},
      {"negative RIC", [](Configuration& c) { c.Zones[9].ToggleRIC2 = "-1"; },
       "Chan 10 Toggle RIC range end: '-1' is outside 0..2097151", "txtToggleRIC2(9)"},
      {"TMax too long", [](Configuration& c) { c.Zones[0].CloseTMax = "327680"; },
       "Chan 1 TMax: '327680' is outside 0..327670", "txtCloseTMax(0)"},
      {"negative TMax", [](Configuration& c) { c.Zones[0].CloseTMax = "-10"; },
       "Chan 1 TMax: '-10' is outside 0..327670", "txtCloseTMax(0)"},
      {"byte time", [](Configuration& c) { c.SndrTime = "256"; },
       "Sounder time: '256' is outside 0..255", "txtSndrTime"},
      {"byte time beyond 16 bits", [](Configuration& c) { c.RlyTime = "70000"; },
       "Common relay time: '70000' is out of range", "txtRlyTime"},
      {"no function", [](Configuration& c) { c.Zones[4].OpenFunc = kNoSelection; },
       "Chan 5 Open beep: nothing selected", "lstOpenFunc(4)"},
      {"ALL in a two-bit list", [](Configuration& c) { c.ResetFunc = 4; },
       "Reset beep: list index 4 is not one of its items", "lstResetFunc"},
      {"no unit rate", [](Configuration& c) { c.BaudKova = kNoSelection; },
       "Kova baud rate: nothing selected", "lstBaudKova"},
      {"below the synthesizer", [](Configuration& c) { c.Freq = 44999999; },
       "Synth Rx frequency: 44.999 999 MHz is below 45.000 000 MHz", "txtFreq"},
      {"beyond 18 bits", [](Configuration& c) { c.Freq = 45000000 + 262144.0 * 6250; },
       "Synth Rx frequency: 1683.400 000 MHz is beyond the synthesizer's range", "txtFreq"},
      {"alpha too long", [](Configuration& c) { c.AlphaVC = 1, c.VC = "ABCDEFGHIJKL"; },
       "Verification sequence: 'ABCDEFGHIJKL' is longer than 11 characters", "txtVC"},
      {"numeric too long", [](Configuration& c) { c.NumericVC = 1, c.VC = std::string(21, '1'); },
       "Verification sequence: '111111111111111111111' is longer than 20 characters", "txtVC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Document doc = StartupDocument();
    doc.image.fill(0x33);
    doc.bits.fill(1);
    doc.cfg.ClkJog = "typed";
    c.edit(doc.cfg);
    const Document before = doc;
    try {
      PackEEprom(doc);
      ADD_FAILURE() << "packed";
    } catch (const FieldFailure& failure) {
      EXPECT_EQ(std::string(failure.what()), c.message);
      EXPECT_EQ(failure.control(), c.control);
    }
    EXPECT_EQ(doc.image, before.image);
    EXPECT_EQ(doc.bits, before.bits);
    EXPECT_EQ(doc.cfg, before.cfg);
  }
}

TEST(Pack, TheReporterGetsTheRefusalUnderPackEEprom) {
  Document doc = StartupDocument();
  doc.cfg.RepeatRIC3 = "x";
  RecordingReporter reporter;
  EXPECT_FALSE(PackEEprom(doc, reporter));
  ASSERT_EQ(reporter.entries().size(), 1u);
  EXPECT_EQ(reporter.entries()[0].procedure, "PackEEprom");
  EXPECT_EQ(reporter.entries()[0].description,
            "Numeric output RIC range start: 'x' is not a number");
  EXPECT_EQ(reporter.entries()[0].number, 13);
}

}  // namespace
}  // namespace kova
