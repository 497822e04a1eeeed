#include "image/pack.h"

#include <gtest/gtest.h>

#include <functional>

#include "image/clear_form.h"
#include "image/field_names.h"
#include "image/interpret.h"

namespace kova {
namespace {

Document Startup() {
  Document doc;
  doc.cfg = StartupConfiguration();
  return doc;
}

Document Packed(const std::function<void(Configuration&)>& edit) {
  Document doc = Startup();
  edit(doc.cfg);
  PackEEprom(doc);
  return doc;
}

TEST(Pack, ByteFiveFromRateModesAndUnitBaud) {
  const Document doc = Packed([](Configuration& cfg) {
    cfg.PocsagBaud = PocsagRate::R512;
    cfg.BaudKova = 4;
    cfg.RlyMode = OutputMode::Timed;
  });
  EXPECT_EQ(doc.image[5], 1 + 32 + 64);
}

TEST(Pack, TheClockJogIsForcedFromTheRate) {
  struct Case {
    PocsagRate rate;
    std::string jog;
  };
  for (const Case& c :
       {Case{PocsagRate::R1200, "4"}, Case{PocsagRate::R512, "4"}, Case{PocsagRate::R2400, "1"}}) {
    const Document doc = Packed([&](Configuration& cfg) {
      cfg.PocsagBaud = c.rate;
      cfg.ClkJog = "9";
    });
    EXPECT_EQ(doc.image[6] & 15, std::stoi(c.jog));
    EXPECT_EQ(doc.cfg.ClkJog, c.jog);
  }
}

TEST(Pack, OrvelCodeOptionsAreStoredInverted) {
  const Document doc = Packed([](Configuration& cfg) {
    cfg.EnableAlphaCode = 0;
    cfg.EnableNumericCode = 1;
  });
  EXPECT_EQ(doc.image[6] & 0xF0, 32);
}

TEST(Pack, AutoPolarityIsByte232NotByteFive) {
  const Document doc = Packed([](Configuration& cfg) { cfg.Polarity = PolarityMode::Auto; });
  EXPECT_EQ(doc.image[232] & 1, 1);
  EXPECT_EQ(doc.image[5] & 4, 0);
}

TEST(Pack, ZoneOneCloseRangeAndTime) {
  const Document doc = Packed([](Configuration& cfg) {
    Zone& zone = cfg.Zones[0];
    zone.CloseRIC1 = "1000";
    zone.CloseFunc = 4;
    zone.CloseRIC2 = "1999";
    zone.EnableClose = 1;
    zone.CloseTMax = "3600";
  });
  const std::vector<std::uint8_t> expected{0xE8, 0x03, 0x80, 0xCF, 0x07, 0x80, 0x68, 0x01};
  EXPECT_EQ(std::vector<std::uint8_t>(doc.image.begin() + 29, doc.image.begin() + 37), expected);
}

TEST(Pack, CloseTMaxIsTensOfSecondsRoundedDownWithTxMonitorOnTop) {
  const Document doc = Packed([](Configuration& cfg) {
    cfg.Zones[1].CloseTMax = "15";
    cfg.Zones[2].CloseTMax = "327670";
    cfg.Zones[2].TxMonitor = 1;
  });
  EXPECT_EQ(doc.image[49 + 6], 1);
  EXPECT_EQ(doc.image[49 + 7], 0);
  EXPECT_EQ(doc.image[69 + 6], 0xFF);
  EXPECT_EQ(doc.image[69 + 7], 0xFF);
}

TEST(Pack, SynthesizerWord) {
  const Document doc = Startup();
  Document packed = doc;
  PackEEprom(packed);
  EXPECT_EQ(packed.image[229], 0x21);
  EXPECT_EQ(packed.image[230], 0x0B);
  EXPECT_EQ(packed.image[231], 0x94);
  InterpretEEprom(packed);
  EXPECT_EQ(packed.cfg.SynthN, 66248);

  const Document five = Packed([](Configuration& cfg) {
    cfg.ChanSpaceOption = 0;
    cfg.ChanSpace = 5000;
    cfg.Freq = 45000000 + 704 * 5000;
  });
  EXPECT_EQ(five.image[229], 0x01);
  EXPECT_EQ(five.image[230], 0x0B);
  EXPECT_EQ(five.image[231], 0x10);
}

TEST(Pack, ChannelMasksSpreadOverTwoBytes) {
  const Document doc = Packed([](Configuration& cfg) {
    cfg.Zones[0].SndrChan = 1;
    cfg.Zones[9].SndrChan = 1;
    cfg.Zones[8].RlyChan = 2;  // greyed counts as ticked and stays in its own bit
  });
  EXPECT_EQ(doc.image[27], 1);
  EXPECT_EQ(doc.image[28], 2);
  EXPECT_EQ(doc.image[246], 0);
  EXPECT_EQ(doc.image[247], 1);
}

TEST(Pack, WithoutASequenceFormatTheAreaKeepsItsBytes) {
  Document doc = Startup();
  for (int address : {7, 8, 9, 248, 254})
    doc.image[address] = 0xA5;
  doc.image[4] = 33;
  doc.cfg.VC = "IGNORED";
  PackEEprom(doc);
  EXPECT_EQ(doc.image[4], 0);
  for (int address : {7, 8, 9, 248, 254})
    EXPECT_EQ(doc.image[address], 0xA5);
}

TEST(Pack, SequencesInBothFormats) {
  const Document numeric = Packed([](Configuration& cfg) {
    cfg.NumericVC = 1;
    cfg.VC = "123";
  });
  EXPECT_EQ(numeric.image[4], 12);
  EXPECT_EQ(numeric.image[7], 0x84);
  EXPECT_EQ(numeric.image[232] & 4, 0);

  const Document alpha = Packed([](Configuration& cfg) {
    cfg.AlphaVC = 1;
    cfg.VC = "A";
  });
  EXPECT_EQ(alpha.image[4], 7);
  EXPECT_EQ(alpha.image[7], 0x82);
  EXPECT_EQ(alpha.image[232] & 4, 4);
}

TEST(Pack, AnAlphaFormatWithoutASequenceLeavesTheFormatBitClear) {
  const Document doc = Packed([](Configuration& cfg) {
    cfg.AlphaVC = 1;
    cfg.VC = "   ";
  });
  EXPECT_EQ(doc.image[4], 0);
  EXPECT_EQ(doc.image[232] & 4, 0);
}

TEST(Pack, NeverWritesTheElapsedCounterOrByte255) {
  Document doc = Startup();
  for (int address : {0, 1, 2, 3, 255})
    doc.image[address] = 0x5A;
  PackEEprom(doc);
  for (int address : {0, 1, 2, 3, 255})
    EXPECT_EQ(doc.image[address], 0x5A);
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
    Document doc = Startup();
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

TEST(Pack, ValuesAtTheLimitsPack) {
  const Document doc = Packed([](Configuration& cfg) {
    cfg.ResetRIC = "2097151";
    cfg.SndrTime = "255";
    cfg.Zones[0].CloseTMax = "327670";
    cfg.Freq = 45000000 + 262143.0 * 6250;
    cfg.AlphaVC = 1;
    cfg.VC = "ABCDEFGHIJK   ";
  });
  EXPECT_EQ(doc.image[12] & 31, 31);
  EXPECT_EQ(doc.image[19], 255);
  EXPECT_EQ(doc.image[4], 77);
  EXPECT_EQ(doc.image[29 + 6], 0xFF);
  EXPECT_EQ(doc.image[29 + 7], 0x7F);
}

TEST(Pack, TheReporterGetsTheRefusalUnderPackEEprom) {
  Document doc = Startup();
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
