#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/profile.h"
#include "files_test_support.h"

namespace kova {
namespace {

using namespace test;

std::string Reason(const Message& message) {
  return message.text.substr(message.text.find('\n') + 1);
}

TEST(ReadProfile, LoadsTheImageWhateverTheCaseSpacingOrExtraDigits) {
  const std::string text = Bytes(Fixture("image_layout.kova"));
  const std::string hex = text.substr(text.find("Contents=") + 9, 512);
  for (const char* name : {"image_layout.kova", "image_lowercase.kova", "image_long_contents.kova",
                           "commented.kova"}) {
    const ProfileLoad load = ReadProfile(Fixture(name), StartupDocument());
    ASSERT_TRUE(load.ok()) << name;
    EXPECT_TRUE(load.warnings.empty());
    EXPECT_EQ(Hex(load.document->image), hex) << name;
    EXPECT_EQ(load.document->cfg.Ver, (std::array<std::string, 3>{"3.15", "Jan 10 2006", "2"}));
    EXPECT_EQ(load.document->cfg.Zones[0].CloseRIC1, "123456");  // the image was interpreted
  }
  const Configuration cfg =
      ReadProfile(Fixture("image_layout.kova"), StartupDocument()).document->cfg;
  EXPECT_EQ(cfg.ComPort, 2);
  EXPECT_EQ(cfg.BaudPC, 1);
}

TEST(ReadProfile, ABrokenFileIsRefusedWithOneMessageAndChangesNothing) {
  const std::vector<std::pair<const char*, const char*>> cases{
      {"image_bad_hex.kova", "[EEprom] Contents: byte 17 is 'G1', not two hexadecimal digits."},
      {"image_short_contents.kova",
       "[EEprom] Contents: the value holds 300 characters, not 512 hexadecimal digits (byte 150 "
       "is missing)."},
      {"no_version.kova", "[EEprom] Contents: the key is missing."},
      {"legacy_port20.kova", "[Comms] Port: 20 is not an item of its list (0 to 15)."},
      {"legacy_bad_check.kova", "[Chan 4] Open Enable: 3 is not a check box value (0, 1 or 2)."},
      {"does_not_exist.kova", "The file cannot be opened: the file does not exist."},
  };
  const Document current = StartupDocument();
  for (const auto& [file, reason] : cases) {
    const ProfileLoad load = ReadProfile(Fixture(file), current);
    ASSERT_FALSE(load.ok()) << file;
    EXPECT_EQ(load.failure->text,
              "Could not read \"" + std::string(file) + "\"; nothing was loaded.\n" + reason);
  }
}

TEST(ReadProfile, EachConversionNamesTheKeyAndTheValue) {
  const std::vector<std::pair<const char*, const char*>> cases{
      {"[Comms]\nPort=abc", "[Comms] Port: 'abc' is not a number."},
      {"[Comms]\nPort=", "[Comms] Port: '' is not a number."},
      {"[Comms]\nPort=70000", "[Comms] Port: '70000' is outside the range of a 16-bit number."},
      {"[General]\nBaud512=maybe", "[General] Baud512: 'maybe' is not True, False or a number."},
      {"[Serial Data]\nRepeat Numeric=x", "[Serial Data] Repeat Numeric: 'x' is not a number."},
      {"[Serial Data]\nRIC 1 Beep=4",
       "[Serial Data] RIC 1 Beep: 4 is not an item of its list (0 to 3)."},
      {"[Chan 10]\nClose Beep=5", "[Chan 10] Close Beep: 5 is not an item of its list (0 to 4)."},
      {"[Options]\nReset Enable=\x01\x02",
       "[Options] Reset Enable: '?"
       "?' is not a number."},
  };
  const std::string legacy = "[Version]\nKova Pro=Kova Pro Configuration 1.3\n";
  for (const auto& [text, reason] : cases) {
    const ProfileLoad load = ReadProfileText(legacy + text, "x.kova", StartupDocument());
    ASSERT_FALSE(load.ok()) << text;
    EXPECT_EQ(Reason(*load.failure), reason);
  }
  // Nothing selected, a half rounded to even, hexadecimal, a greyed check box.
  const ProfileLoad load = ReadProfileText(
      legacy + "[Comms]\nPort=-1\nPC Baud Rate=2.5\nKova Baud Rate=&H3\n[Chan 1]\nLinkToCommon=2",
      "x.kova", StartupDocument());
  ASSERT_TRUE(load.ok());
  EXPECT_EQ(load.document->cfg.ComPort, -1);
  EXPECT_EQ(load.document->cfg.BaudPC, 2);
  EXPECT_EQ(load.document->cfg.BaudKova, 3);
  EXPECT_EQ(load.document->cfg.Zones[0].RlyChan, 2);
}

TEST(ReadProfile, OnlyAReleaseOneCaptionSelectsTheLegacyLayout) {
  const std::vector<std::pair<const char*, bool>> cases{
      {"Kova Pro Configuration 1.", true},
      {"Kova Pro Configuration 1.2 beta", true},
      {"  Kova Pro Configuration 1.0  ", true},
      {"kova pro configuration 1.2", false},
      {"Kova Pro Configuration 2.0", false},
      {"Kova Pro Configuration 10", false},
      {"", false},
  };
  for (const auto& [caption, legacy] : cases) {
    // Without "Contents" only the legacy layout loads.
    const std::string text = "[Version]\nKova Pro=" + std::string(caption);
    EXPECT_EQ(ReadProfileText(text, "x.kova", StartupDocument()).ok(), legacy) << caption;
  }
}

TEST(ReadProfile, HandsBackWhatInterpretingTheImageWarnsAbout) {
  std::string contents(512, '0');
  contents[2 * 31] = 'A';  // Chan 1 Close function code 5
  const ProfileLoad load =
      ReadProfileText("[EEprom]\nContents=" + contents, "x", StartupDocument());
  ASSERT_TRUE(load.ok());
  ASSERT_EQ(load.warnings.size(), 1u);
  EXPECT_NE(load.warnings[0].find("Chan 1 Close beep"), std::string::npos) << load.warnings[0];
}

TEST(ProfileGetItem, ReadsOneValueOrTheDefault) {
  EXPECT_EQ(ProfileGetItem("VERSION", "kova", "", Fixture("commented.kova")), "3.15");
  EXPECT_EQ(ProfileGetItem("Comms", "Missing", "d", Fixture("commented.kova")), "d");
  EXPECT_EQ(ProfileGetItem("Comms", "Port", "d", Fixture("nowhere.kova")), "d");
}

}  // namespace
}  // namespace kova
