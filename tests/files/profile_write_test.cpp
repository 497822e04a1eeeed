#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>

#include "files/profile.h"
#include "files_test_support.h"
#include "image/pack.h"

namespace kova {
namespace {

using namespace test;

Document Edited() {
  Document doc = StartupDocument();
  doc.cfg.Ver = {"3.15", "Jan 10 2006", "2"};
  doc.cfg.ComPort = 5;
  doc.cfg.Zones[3].CloseTMax = "15";  // packs in tens: the file holds 10
  doc.image[0] = 7;                   // the elapsed time travels as it was
  return doc;
}

// A sparse legacy file leaves RIC and time texts empty, which packing refuses.
Document LoadFilled(const QString& path) {
  Document doc = *ReadProfile(path, StartupDocument()).document;
  for (auto& zone : doc.cfg.Zones) {
    for (auto* text : {&zone.CloseRIC1, &zone.CloseRIC2, &zone.CloseTMax, &zone.OpenRIC1,
                       &zone.OpenRIC2, &zone.ToggleRIC1, &zone.ToggleRIC2}) {
      if (text->empty()) *text = "0";
    }
  }
  return doc;
}

TEST(WriteProfile, ANewFileHoldsTheDocumentedKeysInOrderWithCrLf) {
  TempFolder temp;
  Document doc = Edited();
  ASSERT_TRUE(WriteProfile(temp.Path("new.kova"), doc).ok());
  Document packed = Edited();
  PackEEprom(packed);
  EXPECT_EQ(Bytes(temp.Path("new.kova")),
            "[Version]\r\nKova Pro=Kova Pro Configuration 3.1\r\nKova=3.15\r\nCompiled=Jan 10 "
            "2006\r\nEEprom=2\r\n[Comms]\r\nPort=5\r\nPC Baud Rate=4\r\n[EEprom]\r\nContents=" +
                Hex(packed.image) + "\r\n");
  EXPECT_EQ(doc.image, packed.image);
  EXPECT_EQ(doc.image[0], 7);
  EXPECT_EQ(doc.cfg.Zones[3].CloseTMax, "10");  // interpreted again: what the file holds
}

TEST(WriteProfile, SavingAndReopeningGivesTheSameDocument) {
  TempFolder temp;
  for (const char* fixture : {"image_layout.kova", "legacy_full.kova", "commented.kova"}) {
    Document doc = LoadFilled(Fixture(fixture));
    doc.cfg.Zones[7].OpenRIC2 = "1234";
    const QString path = temp.Path(fixture);
    ASSERT_TRUE(WriteProfile(path, doc).ok()) << fixture;
    EXPECT_NE(Bytes(path).find("Contents=" + Hex(doc.image) + "\r\n"), std::string::npos);
    const ProfileLoad reopened = ReadProfile(path, doc);
    ASSERT_TRUE(reopened.ok()) << fixture;
    EXPECT_EQ(reopened.document->cfg, doc.cfg) << fixture;
    EXPECT_EQ(reopened.document->image, doc.image) << fixture;
  }
}

TEST(WriteProfile, KeepsEveryOtherLineOfTheFileByteForByte) {
  TempFolder temp;
  const QString path = temp.Path("commented.kova");
  const std::string original = Bytes(Fixture("commented.kova"));
  Put(path, original);
  Document doc = *ReadProfile(path, StartupDocument()).document;
  const std::string oldHex = Hex(doc.image);
  doc.cfg.ComPort = 6;
  doc.cfg.Zones[5].EnableToggle = 1;
  ASSERT_TRUE(WriteProfile(path, doc).ok());

  std::string expected = original;
  expected.replace(expected.find("Port = 1"), 8, "Port = 6");
  expected.replace(expected.find(oldHex), oldHex.size(), Hex(doc.image));
  EXPECT_NE(oldHex, Hex(doc.image));
  EXPECT_EQ(Bytes(path), expected);
}

TEST(WriteProfile, OverALegacyFileKeepsItsSectionsAndReopensAsAnImage) {
  TempFolder temp;
  const QString path = temp.Path("old.kova");
  Put(path, Bytes(Fixture("legacy_full.kova")));
  Document doc = LoadFilled(path);
  ASSERT_TRUE(WriteProfile(path, doc).ok());
  const std::string text = Bytes(path);
  EXPECT_NE(text.find("Kova Pro=Kova Pro Configuration 3.1\r\nKova=2.07\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Chan 10]\r\nToggle Enable=1\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n[EEprom]\r\nContents=" + Hex(doc.image) + "\r\n"));

  Document other = StartupDocument();
  other.cfg.ClkJog = "not from the file";
  EXPECT_EQ(ReadProfile(path, other).document->cfg.ClkJog, doc.cfg.ClkJog);
}

TEST(WriteProfile, WhenPackingOrWritingFailsNothingIsWrittenAndNothingChanges) {
  TempFolder temp;
  const QString kept = temp.Path("kept.kova");
  Put(kept, "; old\n");
  QDir(temp.Folder()).mkdir("folder.kova");
  Document refused = Edited();
  refused.cfg.Zones[2].OpenRIC2 = "12x";

  const ProfileSave save = WriteProfile(kept, refused);
  ASSERT_FALSE(save.ok());
  EXPECT_EQ(save.failure->text,
            "Could not save \"kept.kova\"; nothing was written.\n"
            "Chan 3 Open RIC range end: '12x' is not a number.");
  EXPECT_EQ(save.control, "txtOpenRIC2(2)");
  EXPECT_EQ(Bytes(kept), "; old\n");
  EXPECT_FALSE(WriteProfile(temp.Path("fresh.kova"), refused).ok());
  EXPECT_FALSE(QFile::exists(temp.Path("fresh.kova")));

  for (const QString& path : {temp.Path("no/such/folder.kova"), temp.Path("folder.kova")}) {
    Document doc = Edited();
    EXPECT_FALSE(WriteProfile(path, doc).ok());
    EXPECT_EQ(doc.image, Edited().image);
    EXPECT_EQ(doc.cfg, Edited().cfg);
  }
}

TEST(WriteProfileImage, SavesTheImageAsItStandsWithoutPacking) {
  TempFolder temp;
  Document doc = Edited();
  doc.cfg.Zones[0].CloseRIC1 = "not packed";
  for (std::size_t i = 0; i < doc.image.size(); ++i)
    doc.image[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(WriteProfileImage(temp.Path("unit.kova"), doc).ok());
  EXPECT_EQ(ReadProfile(temp.Path("unit.kova"), StartupDocument()).document->image, doc.image);
}

}  // namespace
}  // namespace kova
