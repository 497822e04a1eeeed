// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "image/clear_form.h"
#include "image/eeprom_image.h"
#include "image/field_names.h"

namespace kova {
namespace {

using C = Configuration;

// Every row's controls and key paths lead back to it, and no name serves two fields.
TEST(FieldTable, EveryControlAndKeyPathFindsItsRow) {
  std::set<std::string> controls;
  std::set<std::string> keys;
  for (const Field& field : Fields()) {
    SCOPED_TRACE(std::string(field.label));
    EXPECT_FALSE(field.label.empty());
    EXPECT_EQ(&FieldOf(field.member), &field);
    if (!field.key.empty()) {
      EXPECT_TRUE(keys.insert(KeyPath(field)).second);
    }
    for (int i = -1; i < field.count(); ++i) {
      if (!field.control.empty()) {
        const std::string name = ControlName(field, i);
        const FieldAt at = FindByControl(name);
        EXPECT_EQ(at.field, &field) << name;
        EXPECT_EQ(at.index, field.count() > 1 ? i : -1) << name;
        if (field.zoned() || i < 0) {
          EXPECT_EQ(FieldLabel(ControlName(field), i), FieldLabel(field, i));
        }
        if (i >= 0) {
          EXPECT_TRUE(controls.insert(name).second) << name;
        }
      }
      if (!field.key.empty() && i >= 0 && field.count() > 1) {
        const FieldAt at = FindByKey(KeyPath(field, i));
        EXPECT_EQ(at.field, &field);
        EXPECT_EQ(at.index, i);
      }
    }
    for (std::size_t item = 0; item < field.items.size(); ++item) {
      const std::string& name = field.items[item].control;
      if (name.empty()) continue;
      EXPECT_TRUE(controls.insert(name).second) << name;
      const FieldAt at = FindByControl(name);
      EXPECT_EQ(at.field, &field);
      EXPECT_EQ(at.item, static_cast<int>(item));
    }
  }
  EXPECT_EQ(FindByKey("RlyTime").field, &FieldOf(&C::RlyTime));
  EXPECT_EQ(FindByKey("Zones[9].CloseRIC1").index, 9);
  EXPECT_EQ(FindByKey("CloseRIC1").index, -1);  // a zone field without its zone
  EXPECT_EQ(FindByKey("Ver").index, -1);
  EXPECT_EQ(FindByControl("optChanSpace").field, &FieldOf(&C::ChanSpace));
  EXPECT_EQ(FieldLabel(FieldOf(&Zone::CloseRIC1), 2), "Chan 3 Close RIC");
  for (const char* unknown : {"Zones[10].CloseRIC1", "Zones[2].RlyTime", "Zones[x].CloseRIC1",
                              "RlyTimes", "Ver[3]", "Ver[]", "Zones[1]", ""})
    EXPECT_FALSE(FindByKey(unknown)) << unknown;
  for (const char* unknown :
       {"txtCloseRIC1(10)", "txtCloseRIC1(-1)", "txtRlyTime(0)", "txtCloseRIC1(2", "Label28", ""})
    EXPECT_FALSE(FindByControl(unknown)) << unknown;
}

TEST(FieldTable, ClickRulesRunOnlyThroughApply) {
  Configuration cfg = StartupConfiguration();
  const Field& rate = FieldOf(&C::PocsagBaud);
  SetNumber(cfg, rate, -1, static_cast<int>(PocsagRate::R2400));
  EXPECT_EQ(cfg.ClkJog, "8");
  ApplyNumber(cfg, rate, -1, static_cast<int>(PocsagRate::R512));
  EXPECT_EQ(cfg.ClkJog, "16");
  // The spacing keeps its button in step even when stored directly.
  SetNumber(cfg, FieldOf(&C::ChanSpace), -1, 5000);
  EXPECT_EQ(cfg.ChanSpaceOption, 0);
  SetText(cfg, FieldOf(&Zone::CloseTMax), 4, "120");
  EXPECT_EQ(cfg.Zones[4].CloseTMax, "120");
  EXPECT_EQ(GetNumber(cfg, FieldOf(&C::Polarity)), static_cast<int>(PolarityMode::Normal));
  EXPECT_THROW(GetText(cfg, rate), std::logic_error);
  EXPECT_THROW(SetNumber(cfg, FieldOf(&C::VC), -1, 1), std::logic_error);
  EXPECT_THROW(GetText(cfg, FieldOf(&Zone::CloseRIC1), kZoneCount), std::out_of_range);
}

TEST(ByteMap, RunsReadAndWriteOnlyTheirOwnBits) {
  struct Case {
    addr::Bits bits;
    int value;
    std::vector<std::pair<int, int>> bytes;  // address, expected byte over a 0xFF background
  };
  const std::vector<Case> cases{
      {addr::kUnitRate, 2, {{5, 0xD7}}},
      {addr::kClockJog, 0x1A, {{6, 0xFA}}},  // only the low four bits are written
      {addr::kCloseTMax.At(addr::Zone(1)), 0x1234, {{55, 0x34}, {56, 0x92}}},  // bit 7 stays
      {addr::kSynthN, 0x3FFFF, {{229, 0xFF}, {230, 0xFF}, {231, 0xFF}}},
      {addr::kSynthN, 0, {{229, 0x03}, {230, 0x00}, {231, 0xF0}}},
      {addr::kElapsedHours, 0x010203, {{0, 0xFF}, {1, 0x03}, {2, 0x02}, {3, 0x01}, {4, 0xFF}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits.field);
    EEpromImage image;
    image.fill(0xFF);
    c.bits.Put(image, c.value);
    for (const auto& [address, byte] : c.bytes)
      EXPECT_EQ(image[address], byte) << address;
    EXPECT_EQ(c.bits.Get(image), c.value & (c.bits.Mask() >> c.bits.first));
  }
  // A channel mask writes its second byte whole and reads back the ten zones only.
  EEpromImage image;
  image.fill(0xFF);
  addr::PutChannels(image, addr::kRelayChannels, 0xFFFF);
  EXPECT_EQ(image[246], 0xFF);
  EXPECT_EQ(image[247], 0x03);
  image[247] = 0xFE;
  EXPECT_EQ(addr::GetChannels(image, addr::kRelayChannels), 0x2FF);
}

std::string Span(int first, int count, const char* prefix = "") {
  const std::string from = prefix + std::to_string(first);
  return count == 1 ? from : from + ".." + prefix + std::to_string(first + count - 1);
}

std::string Row(const addr::Bits& bits, const char* prefix) {
  return "| " + Span(bits.byte, bits.Bytes(), prefix) + " | " + Span(bits.first, bits.width) +
         " | " + bits.field + " | " + bits.meaning + " |\n";
}

// The byte map a newcomer reads is the declarations, row for row.
TEST(ByteMap, TheByteMapInDocsIsTheDeclarations) {
  std::string table = "| Byte | Bits | Field | Meaning |\n|---|---|---|---|\n";
  for (const auto& bits : addr::kByteMap)
    table += Row(bits, "");
  for (const auto& bits : addr::kZoneByteMap)
    table += Row(bits, "Z+");
  std::ifstream file(KOVA_DOCS "/byte-map.md");
  ASSERT_TRUE(file) << "docs/byte-map.md is missing";
  std::string documented;
  for (std::string line; std::getline(file, line);) {
    if (line.starts_with("|")) documented += line + "\n";
  }
  EXPECT_EQ(documented, table);
}

}  // namespace
}  // namespace kova
