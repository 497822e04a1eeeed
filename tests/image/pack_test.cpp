// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pack.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "field_edits.h"
#include "image/clear_form.h"
#include "image/field_names.h"
#include "image/pack_refusals.h"

namespace kova {
namespace {

using testing::BytesAt;
using testing::Edited;

// The worked bytes of the bit map, each from a configuration a few edits away
// from start-up; the clock jog is forced from the rate, whatever was typed.
TEST(Pack, FieldsLandOnTheirBits) {
  // clang-format off
  const std::pair<const char*, std::string> cases[] = {
      {"PocsagBaud=512; BaudKova=4; RlyMode=Timed; ClkJog=9", "5: 61; 6: 04"},
      {"PocsagBaud=2400; ClkJog=9", "5: 22; 6: 01"},
      {"EnableAlphaCode=0", "6: 24"},       // the codes are stored inverted
      {"Polarity=Auto", "5: 20; 232: 01"},  // not byte 5
      {"Zones[0].CloseRIC1=1000; Zones[0].CloseFunc=4; Zones[0].CloseRIC2=1999; Zones[0].EnableClose=1; Zones[0].CloseTMax=3600", "29: E8 03 80 CF 07 80 68 01"},
      // TMax in tens rounded down, TxMonitor on top
      {"Zones[1].CloseTMax=15; Zones[2].CloseTMax=327670; Zones[2].TxMonitor=1", "55: 01 00; 75: FF FF"},
      {"", "229: 21 0B 94"},  // the synthesizer at 6.25 kHz
      {"ChanSpace=5000; Freq=48520000", "229: 01 0B 10"},
      // masks over two bytes; greyed stays in its own bit
      {"Zones[0].SndrChan=1; Zones[9].SndrChan=1; Zones[8].RlyChan=2", "27: 01 02; 246: 00 01"},
      {"NumericVC=1; VC=123", "4: 0C; 7: 84 C0; 232: 00"},
      {"AlphaVC=1; VC=A", "4: 07; 7: 82; 232: 04"},
      {"AlphaVC=1; VC=   ", "4: 00; 232: 00"},  // no sequence: the format bit stays clear
      {"ResetRIC=2097151; SndrTime=255; Zones[0].CloseTMax=327670; AlphaVC=1; VC=ABCDEFGHIJK   ", "4: 4D; 10: FF FF 1F; 19: FF; 35: FF 7F"},
      {"Freq=1683393750", "229: FD FF 9F"},
      // Without a sequence format the area, the elapsed time and byte 255 keep their bytes.
      {"VC=IGNORED", "0: A5 A5 A5 A5 00; 7: A5 A5 A5; 248: A5; 254: A5 A5"},
  };
  // clang-format on
  for (const auto& [edits, bytes] : cases) {
    Document doc{.cfg = Edited(StartupConfiguration(), edits)};
    for (const int address : {0, 1, 2, 3, 7, 8, 9, 248, 254, 255})
      doc.image[address] = 0xA5;
    doc.image[4] = 33;
    PackEEprom(doc);
    EXPECT_EQ(BytesAt(doc.image, bytes), bytes) << edits;
    EXPECT_EQ(doc.cfg.ClkJog, doc.cfg.PocsagBaud == PocsagRate::R2400 ? "1" : "4");
  }
}

// Values that would become other data are refused, naming the field and its
// control, and nothing changes.
TEST(Pack, RefusesValuesThatWouldBecomeOtherDataAndChangesNothing) {
  // clang-format off
  const std::array<const char*, 3> cases[] = {
      {"Zones[2].CloseRIC1=abc", "Chan 3 Close RIC: 'abc' is not a number", "txtCloseRIC1(2)"},
      {"ResetRIC=", "Reset RIC: '' is not a number", "txtResetRIC"},
      {"Sign1RIC=2097152", "Serial sign 1 RIC: '2097152' is outside 0..2097151", "txtSign1RIC"},
      {"Zones[9].ToggleRIC2=-1", "Chan 10 Toggle RIC range end: '-1' is outside 0..2097151", "txtToggleRIC2(9)"},
      {"Zones[0].CloseTMax=327680", "Chan 1 TMax: '327680' is outside 0..327670", "txtCloseTMax(0)"},
      {"Zones[0].CloseTMax=-10", "Chan 1 TMax: '-10' is outside 0..327670", "txtCloseTMax(0)"},
      {"SndrTime=256", "Sounder time: '256' is outside 0..255", "txtSndrTime"},
      {"RlyTime=70000", "Common relay time: '70000' is out of range", "txtRlyTime"},
      {"Zones[4].OpenFunc=-1", "Chan 5 Open beep: nothing selected", "lstOpenFunc(4)"},
      {"ResetFunc=4", "Reset beep: list index 4 is not one of its items", "lstResetFunc"},
      {"BaudKova=-1", "Kova baud rate: nothing selected", "lstBaudKova"},
      {"Freq=44999999", "Synth Rx frequency: 44.999 999 MHz is below 45.000 000 MHz", "txtFreq"},
      {"Freq=1683400000", "Synth Rx frequency: 1683.400 000 MHz is beyond the synthesizer's range", "txtFreq"},
      {"AlphaVC=1; VC=ABCDEFGHIJKL", "Verification sequence: 'ABCDEFGHIJKL' is longer than 11 characters", "txtVC"},
      {"NumericVC=1; VC=111111111111111111111", "Verification sequence: '111111111111111111111' is longer than 20 characters", "txtVC"},
  };
  // clang-format on
  for (const auto& [edits, message, control] : cases) {
    SCOPED_TRACE(edits);
    Document doc{.cfg = Edited(StartupConfiguration(), std::string("ClkJog=typed; ") + edits)};
    doc.image.fill(0x33);
    doc.bits.fill(1);
    const Document before = doc;
    try {
      PackEEprom(doc);
      ADD_FAILURE() << "packed";
    } catch (const FieldFailure& failure) {
      EXPECT_EQ(std::string(failure.what()), message);
      EXPECT_EQ(failure.control(), control);
    }
    EXPECT_EQ(doc.image, before.image);
    EXPECT_EQ(doc.bits, before.bits);
    EXPECT_EQ(doc.cfg, before.cfg);
  }
  // Under its procedure's name, a refusal reaches the reporter.
  Document doc{.cfg = Edited(StartupConfiguration(), "RepeatRIC3=x")};
  RecordingReporter reporter;
  EXPECT_FALSE(PackEEprom(doc, reporter));
  ASSERT_EQ(reporter.entries().size(), 1u);
  EXPECT_EQ(reporter.entries()[0].procedure, "PackEEprom");
  EXPECT_EQ(reporter.entries()[0].number, 13);
  EXPECT_EQ(reporter.entries()[0].description,
            "Numeric output RIC range start: 'x' is not a number");
}

// Every refusal at once, in packing order, the document untouched; the empty
// texts a release-1 file that names no zone and no reset leaves are filled
// with the cleared values, and nothing else is.
TEST(PackRefusals, EveryRefusalAtOnceAndTheEmptyTextsFilled) {
  EXPECT_TRUE(PackRefusals(StartupDocument()).empty());
  Document doc = StartupDocument();
  Configuration expected = doc.cfg;
  for (Zone& zone : doc.cfg.Zones) {
    zone.CloseRIC1 = zone.CloseRIC2 = zone.OpenRIC1 = zone.OpenRIC2 = "";
    zone.ToggleRIC1 = zone.ToggleRIC2 = zone.CloseTMax = "";
  }
  doc.cfg.ResetRIC = " ";
  doc.cfg.RlyTime = "";
  doc.cfg.VC = expected.VC = "";                     // may be empty: not filled
  doc.cfg.Sign1RIC = expected.Sign1RIC = "2097152";  // not empty: no filling cures it
  doc.cfg.Zones[3].CloseFunc = expected.Zones[3].CloseFunc = kNoSelection;
  const Document before = doc;
  const std::vector<FieldFailure> refusals = PackRefusals(doc);
  EXPECT_EQ(doc.cfg, before.cfg);
  EXPECT_EQ(doc.image, before.image);
  ASSERT_EQ(refusals.size(), 2u + 1u + 70u + 1u);
  EXPECT_STREQ(refusals[0].what(), "Reset RIC is empty");
  EXPECT_EQ(refusals[0].control(), "txtResetRIC");
  EXPECT_STREQ(refusals[1].what(), "Serial sign 1 RIC: '2097152' is outside 0..2097151");
  EXPECT_EQ(refusals[2].control(), "txtCloseRIC1(0)");
  EXPECT_EQ(refusals.back().control(), "txtRlyTime");
  EXPECT_NE(std::ranges::find(refusals, std::string("lstCloseFunc(3)"), &FieldFailure::control),
            refusals.end());
  try {  // the first refusal is the one packing itself reports
    PackEEprom(doc);
    ADD_FAILURE() << "packed";
  } catch (const FieldFailure& refusal) {
    EXPECT_EQ(refusal.control(), refusals[0].control());
    EXPECT_STREQ(refusal.what(), "Reset RIC: ' ' is not a number");
  }

  const std::vector<FieldAt> empty = EmptyTexts(doc.cfg);
  EXPECT_EQ(empty.size(), 72u);
  EXPECT_EQ(DescribeEmptyTexts(empty), "Chan 1 to Chan 10, Reset RIC and Common relay time");
  Configuration filled = doc.cfg;
  EXPECT_EQ(FillEmptyTexts(filled), empty);
  expected.ResetRIC = expected.RlyTime = "0";
  EXPECT_EQ(filled, expected);  // start-up's zone texts are "0"
  EXPECT_TRUE(EmptyTexts(filled).empty());
  doc.cfg = filled;
  const std::vector<FieldFailure> left = PackRefusals(doc);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].control(), "txtSign1RIC");

  Configuration zones = StartupDocument().cfg;
  for (int i : {0, 1, 4, 6, 7, 8})
    zones.Zones[static_cast<std::size_t>(i)].OpenRIC2.clear();
  EXPECT_EQ(DescribeEmptyTexts(EmptyTexts(zones)), "Chan 1, Chan 2, Chan 5 and Chan 7 to Chan 9");
}

TEST(PackRefusals, ListNamesTheFirstFewAndCountsTheRest) {
  std::vector<FieldFailure> refusals;
  for (int i = 0; i < 7; ++i)
    refusals.emplace_back(FailureCode::TypeMismatch, "F" + std::to_string(i), "c");
  EXPECT_EQ(ListRefusals(refusals, 3), "F0\nF1\nF2\nand 4 more");
  refusals.resize(2, refusals[0]);
  EXPECT_EQ(ListRefusals(refusals, 3), "F0\nF1");
}

}  // namespace
}  // namespace kova
