// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pack_refusals.h"

#include <gtest/gtest.h>

#include "image/clear_form.h"
#include "image/pack.h"

namespace kova {
namespace {

// What a release-1 file that names no zone and no reset leaves behind.
Document LegacyGaps() {
  Document doc = StartupDocument();
  for (Zone& zone : doc.cfg.Zones) {
    zone.CloseRIC1 = zone.CloseRIC2 = zone.OpenRIC1 = zone.OpenRIC2 = "";
    zone.ToggleRIC1 = zone.ToggleRIC2 = zone.CloseTMax = "";
  }
  doc.cfg.ResetRIC = " ";
  doc.cfg.RlyTime = "";
  return doc;
}

TEST(PackRefusals, EveryRefusalAtOnceInPackingOrderAndTheDocumentUntouched) {
  EXPECT_TRUE(PackRefusals(StartupDocument()).empty());

  Document doc = LegacyGaps();
  doc.cfg.Sign1RIC = "2097152";  // not empty: no filling cures it
  doc.cfg.Zones[3].CloseFunc = kNoSelection;
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
  const auto func = std::find_if(refusals.begin(), refusals.end(), [](const FieldFailure& f) {
    return f.control() == "lstCloseFunc(3)";
  });
  EXPECT_NE(func, refusals.end());

  // The first refusal is the one packing itself reports.
  try {
    PackEEprom(doc);
    ADD_FAILURE() << "packed";
  } catch (const FieldFailure& refusal) {
    EXPECT_EQ(refusal.control(), refusals[0].control());
    EXPECT_STREQ(refusal.what(), "Reset RIC: ' ' is not a number");
  }
}

TEST(PackRefusals, EmptyTextsAreFilledWithTheClearedValuesAndNothingElse) {
  Document doc = LegacyGaps();
  doc.cfg.Sign1RIC = "2097152";
  doc.cfg.VC = "";  // may be empty: not filled
  const std::vector<FieldAt> empty = EmptyTexts(doc.cfg);
  EXPECT_EQ(empty.size(), 72u);
  EXPECT_EQ(DescribeEmptyTexts(empty), "Chan 1 to Chan 10, Reset RIC and Common relay time");

  Configuration filled = doc.cfg;
  EXPECT_EQ(FillEmptyTexts(filled), empty);
  Configuration expected = doc.cfg;
  for (Zone& zone : expected.Zones) {
    zone.CloseRIC1 = zone.CloseRIC2 = zone.OpenRIC1 = zone.OpenRIC2 = "0";
    zone.ToggleRIC1 = zone.ToggleRIC2 = zone.CloseTMax = "0";
  }
  expected.ResetRIC = expected.RlyTime = "0";
  EXPECT_EQ(filled, expected);
  EXPECT_TRUE(EmptyTexts(filled).empty());
  doc.cfg = filled;
  const std::vector<FieldFailure> left = PackRefusals(doc);
  ASSERT_EQ(left.size(), 1u);
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
