// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>

#include "field_edits.h"
#include "image/byte_map.h"
#include "image/clear_form.h"
#include "image/eeprom_image.h"
#include "image/field_input.h"
#include "image/field_names.h"

namespace kova {
namespace {

using C = Configuration;

// Every row's controls and key paths lead back to it, and no name serves two
// fields. Each unit field's bits are a run of the byte map, or a hand-written
// step names it, and each run of the byte map is some field's. (That each row
// packs and reads is the every-field round trip's.)
TEST(FieldTable, EveryControlAndKeyPathFindsItsRowAndEveryRunItsField) {
  std::set<std::string> controls;
  std::set<std::string> keys;
  std::string byHand = ", ";  // the names the hand-written steps give, each between ", "
  for (const HandWrittenField& hand : HandWrittenFields())
    byHand += std::string(hand.fields) + ", ";
  // A zone field's bits are its first zone's, but a zone bit's are where they are.
  const auto inZone = [](const Field& f) { return f.zoned() && f.codec != Codec::ZoneBit; };
  const auto map = [](bool zone) {
    return zone ? std::span<const addr::Bits>(addr::kZoneByteMap)
                : std::span<const addr::Bits>(addr::kByteMap);
  };
  for (const Field& field : Fields()) {
    SCOPED_TRACE(std::string(field.label));
    EXPECT_FALSE(field.label.empty());
    if (field.codec != Codec::None) {
      EXPECT_TRUE(std::ranges::any_of(
          map(inZone(field)), [&](const addr::Bits& run) { return run.Holds(field.bits); }));
    } else {
      EXPECT_EQ(field.packStep + field.readStep, 0);
      if (!field.key.empty() && field.home == FieldHome::Unit) {
        EXPECT_NE(byHand.find(", " + std::string(field.key) + ", "), std::string::npos);
      }
    }
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
  EXPECT_EQ(FindByKey("CloseRIC1").index, -1);  // a zone field without its zone
  EXPECT_EQ(FindByKey("Ver").index, -1);
  EXPECT_EQ(FieldLabel(FieldOf(&Zone::CloseRIC1), 2), "Chan 3 Close RIC");
  for (const char* unknown : {"Zones[10].CloseRIC1", "Zones[2].RlyTime", "Zones[x].CloseRIC1",
                              "RlyTimes", "Ver[3]", "Ver[]", "Zones[1]", ""})
    EXPECT_FALSE(FindByKey(unknown)) << unknown;
  for (const char* unknown :
       {"txtCloseRIC1(10)", "txtCloseRIC1(-1)", "txtRlyTime(0)", "txtCloseRIC1(2", "Label28", ""})
    EXPECT_FALSE(FindByControl(unknown)) << unknown;
  for (const bool zone : {false, true}) {
    for (const addr::Bits& run : map(zone)) {
      const auto holds = [&](const auto& row) { return run.Holds(row.bits); };
      const auto mapped = [&](const Field& f) {
        return f.codec != Codec::None && inZone(f) == zone && holds(f);
      };
      const bool handWritten = !zone && std::ranges::any_of(HandWrittenFields(), holds);
      EXPECT_TRUE(handWritten || std::ranges::any_of(Fields(), mapped))
          << (zone ? "zone byte " : "byte ") << run.byte << " bit " << run.first;
    }
  }
}

// A value from outside is kept exactly or refused with the path, the value and
// what is allowed; a refusal leaves the configuration as it was.
TEST(FieldInput, KeepsExactlyOrRefuses) {
  struct Case {
    const char* path;
    const char* text;
    const char* kept;  // the stored text or number, "" when refused
    const char* refusal = "";
  };
  // clang-format off
  const std::vector<Case> cases{
      {"VC", "12345678901234567890", "12345678901234567890"},
      {"Zones[3].CloseRIC1", "0077", "77"},
      {"Zones[3].CloseTMax", "320", "320"},
      {"Zones[0].CloseTMax", "15", "", "Zones[0].CloseTMax: 15 is not a whole 10 s step (10 or 20)"},
      {"ResetRIC", "12.5", "", "ResetRIC: 12.5 is not a whole number"},
      {"ResetRIC", "-1", "", "ResetRIC: -1 is outside 0..2097151"},
      {"SndrTime", "256", "", "SndrTime: 256 is outside 0..255"},
      {"Freq", "459056250", "459056250"},
      {"Freq", "459051000", "", "Freq: 459051000 is not on the 6250 Hz raster (459050000 or 459056250)"},
      {"BaudKova", "\"1200\"", "7"},
      {"Zones[1].CloseFunc", "null", "-1"},
      {"SynthRx", "true", "1"},
      {"SynthRx", "3", "", "SynthRx: 3 is not 0, 1, 2 (greyed), true or false"},
      {"Polarity", "Sideways", "", "Polarity: Sideways is not one of Auto, Normal, Inverted or null"},
      {"BaudKova", "19201", "", "BaudKova: 19201 is not one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200 or null"},
      {"ChanSpace", "12500", "", "ChanSpace: 12500 is not one of 5000 or 6250"},
      {"SynthN", "262144", "", "SynthN: 262144 is outside 0..262143"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + "=" + c.text);
    const FieldAt at = FindByKey(c.path);
    ASSERT_TRUE(at);
    Configuration cfg = StartupConfiguration();
    const Configuration before = cfg;
    try {
      SetFieldValue(cfg, *at.field, at.index, InputFromText(c.text));
      EXPECT_EQ(testing::ValueText(cfg, *at.field, at.index), c.kept);
    } catch (const FieldRefused& refusal) {
      EXPECT_EQ(std::string(refusal.what()), c.refusal);
      EXPECT_EQ(cfg, before);
    }
  }
  // The sequence is checked against its format once every value is in.
  Configuration cfg = StartupConfiguration();
  cfg.NumericVC = 1, cfg.VC = "ABC";
  EXPECT_EQ(CombinedRefusal(cfg).value_or(""),
            "VC: ABC has characters a numeric sequence cannot hold (0-9, A, U, space, -, ], [)");
  cfg.VC = "123456789012345678901";
  EXPECT_TRUE(CombinedRefusal(cfg));
  cfg.NumericVC = 0, cfg.AlphaVC = 1, cfg.VC = "Kova~Pro!";
  EXPECT_FALSE(CombinedRefusal(cfg));
  for (const auto member : {FieldMember(&C::Ver), FieldMember(&C::ClkJog), FieldMember(&C::Hunting),
                            FieldMember(&C::SynthN), FieldMember(&C::ETI)})
    EXPECT_TRUE(WhyNotSettable(FieldOf(member)));
  EXPECT_FALSE(WhyNotSettable(FieldOf(&C::BaudPC)));
  // Click rules run only through Apply; a value is got and set by its kind.
  cfg = StartupConfiguration();
  const Field& rate = FieldOf(&C::PocsagBaud);
  SetNumber(cfg, rate, -1, static_cast<int>(PocsagRate::R2400));
  EXPECT_EQ(cfg.ClkJog, "8");
  ApplyNumber(cfg, rate, -1, static_cast<int>(PocsagRate::R512));
  EXPECT_EQ(cfg.ClkJog, "16");
  EXPECT_THROW(GetText(cfg, rate), std::logic_error);
  EXPECT_THROW(SetNumber(cfg, FieldOf(&C::VC), -1, 1), std::logic_error);
  EXPECT_THROW(GetText(cfg, FieldOf(&Zone::CloseRIC1), kZoneCount), std::out_of_range);
}

// A difference found by verify is named by the paths --set takes: every field
// with bits in the byte, a zone field at its zone, a channel mask bit by bit.
TEST(ByteMap, NamesTheFieldsAtAnAddress) {
  const auto has = [](int address, const std::string& path) {
    return std::ranges::count(FieldsAtByte(address), path) > 0;
  };
  EXPECT_TRUE(FieldsAtByte(255).empty());
  for (const char* path : {"PocsagBaud", "Polarity", "BaudKova", "RlyMode", "SndrMode"})
    EXPECT_TRUE(has(5, path)) << path;
  const int close = addr::ZoneStart(1) + 2;
  EXPECT_TRUE(has(close, "Zones[1].CloseFunc"));
  EXPECT_FALSE(has(close, "Zones[0].CloseFunc"));
  EXPECT_TRUE(has(27, "Zones[0].SndrChan") && has(27, "Zones[7].SndrChan"));
  EXPECT_TRUE(has(28, "Zones[8].SndrChan") && has(28, "Zones[9].SndrChan"));
  EXPECT_FALSE(has(28, "Zones[0].SndrChan"));
}

// The byte map in docs is the table's rows and the hand-written fields, in
// byte order. KOVA_WRITE_BYTE_MAP=1 rewrites it after a change of the table.
TEST(ByteMap, TheByteMapInDocsIsTheDeclarations) {
  const std::string path = KOVA_DOCS "/byte-map.md";
  std::ifstream file(path);
  ASSERT_TRUE(file) << "docs/byte-map.md is missing";
  std::string before;
  std::string documented;
  for (std::string line; std::getline(file, line);) {
    if (line.starts_with("|")) {
      documented += line + "\n";
    } else if (documented.empty()) {
      before += line + "\n";
    }
  }
  const std::string table = ByteMapTable();
  if (std::getenv("KOVA_WRITE_BYTE_MAP") && documented != table) {
    std::ofstream(path) << before << table;
  }
  EXPECT_EQ(documented, table) << "run image_tests with KOVA_WRITE_BYTE_MAP=1 to update it";
}

}  // namespace
}  // namespace kova
