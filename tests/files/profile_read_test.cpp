#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/profile.h"
#include "files_test_support.h"

namespace kova {
namespace {

using test::Bytes;
using test::Fixture;
using test::StartupDocument;

// The configuration held by image_layout.kova and its variants.
void ExpectSampleImage(const Document& doc) {
  const Configuration& cfg = doc.cfg;
  EXPECT_EQ(cfg.Ver, (std::array<std::string, 3>{"3.15", "Jan 10 2006", "2"}));
  EXPECT_EQ(cfg.ComPort, 2);
  EXPECT_EQ(cfg.BaudPC, 1);
  EXPECT_EQ(cfg.ETI, "1234:05");
  EXPECT_EQ(doc.image[255], 0xA5);
  EXPECT_EQ(cfg.PocsagBaud, PocsagRate::R512);
  EXPECT_EQ(cfg.Polarity, PolarityMode::Inverted);
  EXPECT_EQ(cfg.BaudKova, 2);
  EXPECT_EQ(cfg.RlyMode, OutputMode::Timed);
  EXPECT_EQ(cfg.ResetRIC, "1999999");
  EXPECT_EQ(cfg.ResetFunc, 2);
  EXPECT_EQ(cfg.Sign1RIC, "123456");
  EXPECT_EQ(cfg.AlphaRepeatFunc, 4);
  EXPECT_EQ(cfg.Zones[0].CloseRIC2, "123460");
  EXPECT_EQ(cfg.Zones[0].CloseTMax, "60");
  EXPECT_EQ(cfg.Zones[0].TxMonitor, 1);
  EXPECT_EQ(cfg.Zones[2].ToggleFunc, 3);
  EXPECT_EQ(cfg.Zones[2].RlyChan, 1);
  EXPECT_EQ(cfg.SynthRx, 1);
  EXPECT_EQ(cfg.Freq, 459056250);
  EXPECT_EQ(cfg.AlphaVC, 1);
  EXPECT_EQ(cfg.VC, "HELLO");
  EXPECT_EQ(cfg.RlyTime, "45");
}

TEST(ReadProfile, LoadsTheImageLayout) {
  const ProfileLoad load = ReadProfile(Fixture("image_layout.kova"), StartupDocument());
  ASSERT_TRUE(load.ok()) << load.failure->text;
  ExpectSampleImage(*load.document);
  EXPECT_TRUE(load.warnings.empty());
}

TEST(ReadProfile, LowerCaseDigitsAndExtraDigitsLoadTheSameBytes) {
  const Document reference = *ReadProfile(Fixture("image_layout.kova"), StartupDocument()).document;
  for (const char* name : {"image_lowercase.kova", "image_long_contents.kova", "commented.kova"}) {
    const ProfileLoad load = ReadProfile(Fixture(name), StartupDocument());
    ASSERT_TRUE(load.ok()) << name;
    EXPECT_EQ(load.document->image, reference.image) << name;
    EXPECT_EQ(load.document->cfg.Zones, reference.cfg.Zones) << name;
  }
}

struct BrokenCase {
  const char* file;
  const char* reason;
};

TEST(ReadProfile, ABrokenFileIsRefusedWithOneMessageAndChangesNothing) {
  const std::vector<BrokenCase> cases{
      {"image_bad_hex.kova", "[EEprom] Contents: byte 17 is 'G1', not two hexadecimal digits."},
      {"image_short_contents.kova",
       "[EEprom] Contents: the value holds 300 characters, not 512 hexadecimal digits (byte 150 "
       "is missing)."},
      {"no_version.kova", "[EEprom] Contents: the key is missing."},
      {"legacy_port20.kova", "[Comms] Port: 20 is not an item of its list (0 to 15)."},
      {"legacy_bad_check.kova", "[Chan 4] Open Enable: 3 is not a check box value (0, 1 or 2)."},
      {"does_not_exist.kova", "The file cannot be opened: the file does not exist."},
  };
  Document current = StartupDocument();
  current.cfg.Zones[3].OpenRIC1 = "77";
  current.image[40] = 9;
  const Document before = current;
  for (const auto& c : cases) {
    const ProfileLoad load = ReadProfile(Fixture(c.file), current);
    EXPECT_FALSE(load.ok()) << c.file;
    ASSERT_TRUE(load.failure) << c.file;
    EXPECT_EQ(load.failure->text,
              "Could not read \"" + std::string(c.file) + "\"; nothing was loaded.\n" + c.reason);
    EXPECT_EQ(load.failure->title, "Kova Pro Configuration");
  }
  EXPECT_EQ(current.cfg, before.cfg);
  EXPECT_EQ(current.image, before.image);
}

struct ValueCase {
  const char* text;
  const char* reason;  // empty when the file loads
};

TEST(ReadProfile, EachConversionNamesTheKeyAndTheValue) {
  const std::string legacy = "[Version]\nKova Pro=Kova Pro Configuration 1.3\n";
  const std::vector<ValueCase> cases{
      {"[Comms]\nPort=abc", "[Comms] Port: 'abc' is not a number."},
      {"[Comms]\nPort=", "[Comms] Port: '' is not a number."},
      {"[Comms]\nPort=70000", "[Comms] Port: '70000' is outside the range of a 16-bit number."},
      {"[Comms]\nPort=-2", "[Comms] Port: -2 is not an item of its list (0 to 15)."},
      {"[Comms]\nPC Baud Rate=8", "[Comms] PC Baud Rate: 8 is not an item of its list (0 to 7)."},
      {"[Comms]\nKova Baud Rate=9",
       "[Comms] Kova Baud Rate: 9 is not an item of its list (0 to 7)."},
      {"[General]\nBaud512=maybe", "[General] Baud512: 'maybe' is not True, False or a number."},
      {"[Serial Data]\nRepeat Numeric=one", "[Serial Data] Repeat Numeric: 'one' is not a number."},
      {"[Serial Data]\nRIC 1 Beep=4",
       "[Serial Data] RIC 1 Beep: 4 is not an item of its list (0 to 3)."},
      {"[Chan 10]\nClose Beep=5", "[Chan 10] Close Beep: 5 is not an item of its list (0 to 4)."},
      {"[Chan 2]\nLinkToCommon=-1",
       "[Chan 2] LinkToCommon: -1 is not a check box value (0, 1 or 2)."},
      {"[Options]\nReset Enable=\x01\x02",
       "[Options] Reset Enable: '?"
       "?' is not a number."},
      // Accepted: nothing selected, rounding half to even, hexadecimal, greyed.
      {"[Comms]\nPort=-1\nPC Baud Rate=2.5\nKova Baud Rate=&H3\n[Chan 1]\nLinkToCommon=2", ""},
  };
  for (const auto& c : cases) {
    const ProfileLoad load = ReadProfileText(legacy + c.text, "x.kova", StartupDocument());
    if (*c.reason == 0) {
      ASSERT_TRUE(load.ok()) << c.text;
      EXPECT_EQ(load.document->cfg.ComPort, -1);
      EXPECT_EQ(load.document->cfg.BaudPC, 2);
      EXPECT_EQ(load.document->cfg.BaudKova, 3);
      EXPECT_EQ(load.document->cfg.Zones[0].RlyChan, 2);
      continue;
    }
    ASSERT_TRUE(load.failure) << c.text;
    EXPECT_EQ(load.failure->text.substr(load.failure->text.find('\n') + 1), c.reason);
  }
}

struct LayoutCase {
  const char* caption;  // nullptr: no such key
  bool legacy;
};

TEST(ReadProfile, OnlyAReleaseOneCaptionSelectsTheLegacyLayout) {
  const std::vector<LayoutCase> cases{
      {"Kova Pro Configuration 1.", true},
      {"Kova Pro Configuration 1.2 beta", true},
      {"  Kova Pro Configuration 1.0  ", true},  // blanks around a value never count
      {"kova pro configuration 1.2", false},
      {"Kova Pro Configuration 2.0", false},
      {"Kova Pro Configuration 10", false},
      {"", false},
      {nullptr, false},
  };
  for (const auto& c : cases) {
    std::string text = "[Comms]\nPort=1\n";
    if (c.caption) text += "[Version]\nKova Pro=" + std::string(c.caption) + "\n";
    const ProfileLoad load = ReadProfileText(text, "x.kova", StartupDocument());
    // Without "Contents" only the legacy layout loads.
    EXPECT_EQ(load.ok(), c.legacy) << (c.caption ? c.caption : "(none)");
    if (load.ok()) {
      EXPECT_EQ(load.document->cfg.Ver[2], "EEprom Layout Version 1");
    }
  }
}

TEST(ReadProfile, HandsBackWhatInterpretingTheImageWarnsAbout) {
  std::string contents(512, '0');
  contents[2 * 31] = 'A';  // Chan 1 Close function code 5
  const ProfileLoad load =
      ReadProfileText("[EEprom]\nContents=" + contents, "x.kova", StartupDocument());
  ASSERT_TRUE(load.ok());
  ASSERT_EQ(load.warnings.size(), 1u);
  EXPECT_NE(load.warnings[0].find("Chan 1 Close beep"), std::string::npos) << load.warnings[0];
  EXPECT_EQ(load.document->cfg.Zones[0].CloseFunc, 4);
}

TEST(ProfileGetItem, ReadsOneValueFromAFile) {
  const QString path = Fixture("commented.kova");
  EXPECT_EQ(ProfileGetItem("VERSION", "Kova", "", path), "3.15");
  EXPECT_EQ(ProfileGetItem("Site Notes", "Contact", "", path), "J. Smith");
  EXPECT_EQ(ProfileGetItem("Comms", "Missing", "dflt", path), "dflt");
  EXPECT_EQ(ProfileGetItem("Comms", "Port", "dflt", Fixture("nowhere.kova")), "dflt");
  EXPECT_EQ(ProfileGetItem("EEprom", "Contents", "", path).size(), 512u);
}

}  // namespace
}  // namespace kova
