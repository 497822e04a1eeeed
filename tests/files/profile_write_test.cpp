#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>

#include "files/profile.h"
#include "files_test_support.h"
#include "image/pack.h"

namespace kova {
namespace {

using test::Bytes;
using test::Fixture;
using test::Put;
using test::StartupDocument;
using test::TempFolder;

std::string Hex(const EEpromImage& image) {
  std::string hex;
  for (const auto byte : image)
    hex += Hex2(byte);
  return hex;
}

Document Edited() {
  Document doc = StartupDocument();
  doc.cfg.Ver = {"3.15", "Jan 10 2006", "2"};
  doc.cfg.ComPort = 5;
  doc.cfg.BaudPC = 0;
  doc.cfg.Zones[3].CloseRIC1 = "4000";
  doc.cfg.Zones[3].CloseTMax = "15";  // packs in tens: the file holds 10
  doc.cfg.Zones[3].CloseFunc = 4;
  doc.cfg.SpeedLetter = 1;
  doc.image[0] = 7;  // the elapsed time travels as it was
  doc.image[255] = 0x3C;
  return doc;
}

// A sparse legacy file leaves RIC and time texts empty, which packing refuses.
void FillEmptyTexts(Configuration& cfg) {
  for (auto& zone : cfg.Zones) {
    for (auto* text : {&zone.CloseRIC1, &zone.CloseRIC2, &zone.CloseTMax, &zone.OpenRIC1,
                       &zone.OpenRIC2, &zone.ToggleRIC1, &zone.ToggleRIC2}) {
      if (text->empty()) *text = "0";
    }
  }
}

TEST(WriteProfile, ANewFileHoldsTheDocumentedKeysInOrderWithCrLf) {
  TempFolder temp;
  Document doc = Edited();
  const ProfileSave save = WriteProfile(temp.Path("new.kova"), doc);
  ASSERT_TRUE(save.ok()) << save.failure->text;

  Document packed = Edited();
  PackEEprom(packed);
  const std::string expected =
      "[Version]\r\nKova Pro=Kova Pro Configuration 3.1\r\nKova=3.15\r\nCompiled=Jan 10 2006\r\n"
      "EEprom=2\r\n[Comms]\r\nPort=5\r\nPC Baud Rate=0\r\n[EEprom]\r\nContents=" +
      Hex(packed.image) + "\r\n";
  EXPECT_EQ(Bytes(temp.Path("new.kova")), expected);
  EXPECT_EQ(doc.image, packed.image);
  EXPECT_EQ(doc.image[0], 7);
  EXPECT_EQ(doc.image[255], 0x3C);
  // Interpreted again: the window shows what the file holds.
  EXPECT_EQ(doc.cfg.Zones[3].CloseTMax, "10");
}

TEST(WriteProfile, SavingAndReopeningGivesTheSameDocument) {
  TempFolder temp;
  for (const char* fixture : {"image_layout.kova", "legacy_full.kova", "commented.kova"}) {
    Document doc = *ReadProfile(Fixture(fixture), StartupDocument()).document;
    FillEmptyTexts(doc.cfg);
    doc.cfg.Zones[7].OpenRIC2 = "1234";
    const QString path = temp.Path("again.kova");
    QFile::remove(path);
    ASSERT_TRUE(WriteProfile(path, doc).ok()) << fixture;
    const std::string text = Bytes(path);
    EXPECT_NE(text.find("Contents=" + Hex(doc.image)), std::string::npos) << fixture;

    const ProfileLoad reopened = ReadProfile(path, doc);
    ASSERT_TRUE(reopened.ok()) << fixture;
    EXPECT_EQ(reopened.document->cfg, doc.cfg) << fixture;
    EXPECT_EQ(reopened.document->image, doc.image) << fixture;
    // Over a start-up document too, since Open never clears the window first.
    const ProfileLoad fresh = ReadProfile(path, StartupDocument());
    EXPECT_EQ(fresh.document->image, doc.image) << fixture;
    EXPECT_EQ(fresh.document->cfg.Zones, doc.cfg.Zones) << fixture;
  }
}

TEST(WriteProfile, KeepsCommentsBlankLinesUnknownSectionsAndSpacingByteForByte) {
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
  ASSERT_NE(oldHex, Hex(doc.image));
  EXPECT_EQ(Bytes(path), expected);
}

TEST(WriteProfile, OverALegacyFileKeepsItsSectionsAndReopensAsAnImage) {
  TempFolder temp;
  const QString path = temp.Path("old.kova");
  const std::string original = Bytes(Fixture("legacy_full.kova"));
  Put(path, original);
  Document doc = *ReadProfile(path, StartupDocument()).document;
  FillEmptyTexts(doc.cfg);
  ASSERT_TRUE(WriteProfile(path, doc).ok());

  const std::string text = Bytes(path);
  EXPECT_NE(text.find("Kova Pro=Kova Pro Configuration 3.1\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Chan 10]\r\nToggle Enable=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("[EEprom]\r\nContents="), std::string::npos);
  EXPECT_EQ(text.rfind("[EEprom]"), text.find("[EEprom]"));

  Document other = StartupDocument();
  other.cfg.ClkJog = "marker";
  const ProfileLoad reopened = ReadProfile(path, other);
  ASSERT_TRUE(reopened.ok());
  EXPECT_EQ(reopened.document->cfg.Ver[2], "EEprom Layout Version 1");  // saved as it was shown
  EXPECT_EQ(reopened.document->cfg.ClkJog, doc.cfg.ClkJog);             // from the image now
  EXPECT_EQ(reopened.document->cfg.Zones, doc.cfg.Zones);
}

TEST(WriteProfile, ARefusedValueWritesNothingAndNamesTheField) {
  TempFolder temp;
  const QString path = temp.Path("kept.kova");
  const std::string original = Bytes(Fixture("image_layout.kova"));
  Put(path, original);

  Document doc = Edited();
  doc.cfg.Zones[2].OpenRIC2 = "12x";
  const Document before = doc;
  const ProfileSave save = WriteProfile(path, doc);
  ASSERT_FALSE(save.ok());
  EXPECT_EQ(save.failure->text,
            "Could not save \"kept.kova\"; nothing was written.\n"
            "Chan 3 Open RIC range end: '12x' is not a number.");
  EXPECT_EQ(save.control, "txtOpenRIC2(2)");
  EXPECT_EQ(Bytes(path), original);
  EXPECT_EQ(doc.cfg, before.cfg);
  EXPECT_EQ(doc.image, before.image);

  const ProfileSave fresh = WriteProfile(temp.Path("fresh.kova"), doc);
  EXPECT_FALSE(fresh.ok());
  EXPECT_FALSE(QFile::exists(temp.Path("fresh.kova")));
}

TEST(WriteProfile, AFileThatCannotBeWrittenLeavesTheDocumentAsItWas) {
  TempFolder temp;
  QDir(temp.Folder()).mkdir("folder.kova");
  for (const QString& path : {temp.Path("missing/x.kova"), temp.Path("folder.kova")}) {
    Document doc = Edited();
    const Document before = doc;
    const ProfileSave save = WriteProfile(path, doc);
    EXPECT_FALSE(save.ok()) << path.toStdString();
    EXPECT_EQ(save.failure->text.rfind("Could not save", 0), 0u);
    EXPECT_EQ(doc.cfg, before.cfg);
    EXPECT_EQ(doc.image, before.image);
  }
}

TEST(WriteProfileImage, SavesTheImageAsItStandsWithoutPacking) {
  TempFolder temp;
  Document doc = Edited();
  doc.cfg.Zones[0].CloseRIC1 = "not packed";
  for (std::size_t i = 0; i < doc.image.size(); ++i)
    doc.image[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(WriteProfileImage(temp.Path("unit.kova"), doc).ok());
  const ProfileLoad load = ReadProfile(temp.Path("unit.kova"), StartupDocument());
  ASSERT_TRUE(load.ok());
  EXPECT_EQ(load.document->image, doc.image);
  EXPECT_EQ(load.document->cfg.Ver, doc.cfg.Ver);
  EXPECT_EQ(load.document->cfg.ComPort, 5);
}

}  // namespace
}  // namespace kova
