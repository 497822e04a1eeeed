// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/interpret.h"

#include <gtest/gtest.h>

#include <random>

#include "every_field.h"
#include "field_edits.h"
#include "image/clear_form.h"
#include "image/field_table.h"
#include "image/pack.h"

namespace kova {
namespace {

using C = Configuration;

// Each case reads an image that is zero but for the bytes given, over a
// start-up document whose sequence is "KEPT".
TEST(Interpret, BytesBecomeFields) {
  struct Case {
    const char* bytes;
    const char* fields;
    const char* warnings = "";
  };
  // clang-format off
  const Case cases[] = {
      {"", "ClkJog=0; EnableAlphaCode=1; EnableNumericCode=1; RlyMode=WireOrd; ChanSpace=5000; Freq=45000000; AlphaVC=0; NumericVC=0"},
      // Byte 5: bit 0 before bit 1; bit 3 serves both the unit's rate and hunting.
      {"5: 03", "PocsagBaud=512; Polarity=Normal; Hunting=Off; BaudKova=0"},
      {"5: 0A", "PocsagBaud=2400; Polarity=Normal; Hunting=On; BaudKova=1"},
      {"5: 04", "PocsagBaud=1200; Polarity=Inverted; Hunting=Off; BaudKova=0"},
      {"5: 05; 232: 01", "PocsagBaud=512; Polarity=Auto; Hunting=Off; BaudKova=0"},
      {"5: 02; 232: 01", "PocsagBaud=2400; Polarity=Normal; Hunting=Off; BaudKova=0"},  // the rate's click drops Auto
      {"5: 38", "PocsagBaud=1200; Polarity=Normal; Hunting=On; BaudKova=7"},
      // The clock jog is the image's, not the one the rate presets.
      {"5: 01; 6: 37", "PocsagBaud=512; ClkJog=7; EnableAlphaCode=0; EnableNumericCode=0"},
      {"0: 05; 1: D2 04", "ETI=1234:05"},  // hours and two-digit minutes
      {"0: 3B; 1: FF FF FF", "ETI=16777215:59"},
      {"232: 04", "AlphaVC=0; NumericVC=0; VC=KEPT"},  // a format without a length
      // The masks count only the ten zones, and the read goes on after them.
      {"27: 01 FE; 232: 38; 245: 2A; 246: 00 FF", "Zones[0].SndrChan=1; Zones[8].SndrChan=0; Zones[9].SndrChan=1; Zones[8].RlyChan=1; Zones[9].RlyChan=1; RlyTime=42; FrmZero=1; SpeedLetter=1"},
      // A function code beyond its list shows as its last item, with one warning a field.
      {"31: C0; 235: E0; 245: 09", "Zones[0].CloseFunc=4; NumericRepeatFunc=4; RlyTime=9",
       "Chan 1 Close beep: the image holds function code 6, shown as ALL\nNumeric output beep: the image holds function code 7, shown as ALL\n"},
  };
  // clang-format on
  for (const auto& [bytes, fields, warnings] : cases) {
    Document doc{.cfg = StartupConfiguration(), .image = testing::ImageOf(bytes)};
    doc.cfg.VC = "KEPT";
    std::string warned;
    for (const std::string& warning : InterpretEEprom(doc))
      warned += warning + "\n";
    EXPECT_EQ(warned, warnings);
    EXPECT_EQ(testing::Values(doc.cfg, fields), fields) << bytes;
  }
}

// Every field the image holds, set from the table to a value other than
// start-up's, comes back from packing and reading, and the fields kept by
// this program or reported by the unit's version lines stay as they were;
// packing what was read gives the same bytes. A row without its pack or read
// step fails here.
TEST(RoundTrip, EveryFieldTheImageHoldsComesBack) {
  for (const bool numeric : {false, true}) {
    Document doc{.cfg = testing::EveryField(numeric ? 3 : 0)};
    if (numeric) {
      doc.cfg.AlphaVC = 0, doc.cfg.NumericVC = 1, doc.cfg.VC = "0123456789AU -][0123";
      doc.cfg.ChanSpace = 6250, doc.cfg.ChanSpaceOption = 1, doc.cfg.Freq = 459056250;
    }
    PackEEprom(doc);
    Document read{.cfg = testing::EveryField(7)};
    const Configuration before = read.cfg;
    read.image = doc.image;
    EXPECT_TRUE(InterpretEEprom(read).empty());
    for (const Field& field : Fields()) {
      const bool kept = field.home == FieldHome::Pc || field.member == FieldMember(&C::Ver);
      if (field.home != FieldHome::Unit && !kept) continue;
      for (const int i : testing::Indexes(field)) {
        SCOPED_TRACE(ControlName(field, i));
        EXPECT_EQ(testing::ValueText(read.cfg, field, i),
                  testing::ValueText(kept ? before : doc.cfg, field, i));
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
