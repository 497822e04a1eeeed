// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
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

TEST(WriteProfile, ANewFileHoldsTheDocumentedKeysInOrderWithCrLf) {
  QTemporaryDir temp;
  Document doc = Edited();
  ASSERT_TRUE(WriteProfile(temp.filePath("new.kova"), doc).ok());
  Document packed = Edited();
  PackEEprom(packed);
  EXPECT_EQ(Bytes(temp.filePath("new.kova")),
            "[Version]\r\nKova Pro=Kova Pro Configuration 3.1\r\nKova=3.15\r\nCompiled=Jan 10 "
            "2006\r\nEEprom=2\r\n[Comms]\r\nPort=5\r\nPC Baud Rate=4\r\n[EEprom]\r\nContents=" +
                Hex(packed.image) + "\r\n");
  EXPECT_EQ(doc.image, packed.image);
  EXPECT_EQ(doc.cfg.Zones[3].CloseTMax, "10");  // interpreted again: what the file holds
}

// Over a file of each layout, reading back takes nothing from the document it
// is read over; a legacy file becomes an image file.
TEST(WriteProfile, SavingAndReopeningGivesTheSameDocument) {
  QTemporaryDir temp;
  for (const char* fixture : {"image_layout.kova", "legacy_full.kova", "commented.kova"}) {
    const QString path = temp.filePath(fixture);
    Put(path, Bytes(Fixture(fixture)));
    Document doc = *ReadProfile(path, StartupDocument()).document;
    for (auto& zone : doc.cfg.Zones) {  // a sparse legacy file leaves texts packing refuses
      for (auto* text : {&zone.CloseRIC1, &zone.CloseRIC2, &zone.CloseTMax, &zone.OpenRIC1,
                         &zone.OpenRIC2, &zone.ToggleRIC1, &zone.ToggleRIC2}) {
        if (text->empty()) *text = "0";
      }
    }
    doc.cfg.Zones[7].OpenRIC2 = "1234";
    ASSERT_TRUE(WriteProfile(path, doc).ok()) << fixture;
    EXPECT_NE(Bytes(path).find(Hex(doc.image)), std::string::npos) << fixture;
    const ProfileLoad reopened = ReadProfile(path, StartupDocument());
    ASSERT_TRUE(reopened.ok()) << fixture;
    EXPECT_EQ(reopened.document->cfg, doc.cfg) << fixture;
    EXPECT_EQ(reopened.document->image, doc.image) << fixture;
  }
}

TEST(WriteProfile, KeepsEveryOtherLineOfTheFileByteForByte) {
  QTemporaryDir temp;
  const QString path = temp.filePath("commented.kova");
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

TEST(WriteProfile, WhenPackingOrWritingFailsNothingIsWrittenAndNothingChanges) {
  QTemporaryDir temp;
  const QString kept = temp.filePath("kept.kova");
  Put(kept, "; old\n");
  Document refused = Edited();
  refused.cfg.Zones[2].OpenRIC2 = "12x";
  const ProfileSave save = WriteProfile(kept, refused);
  ASSERT_FALSE(save.ok());
  EXPECT_EQ(save.failure->text, "Could not save \"" + kept.toStdString() +
                                    "\"; nothing was written.\n"
                                    "Chan 3 Open RIC range end: '12x' is not a number.");
  EXPECT_EQ(save.control, "txtOpenRIC2(2)");
  EXPECT_EQ(Bytes(kept), "; old\n");

  QDir(temp.path()).mkdir("folder.kova");
  for (const QString& path : {temp.filePath("no/such/folder.kova"), temp.filePath("folder.kova")}) {
    Document doc = Edited();
    EXPECT_FALSE(WriteProfile(path, doc).ok());
    EXPECT_EQ(doc.image, Edited().image);
    EXPECT_EQ(doc.cfg, Edited().cfg);
  }
}

}  // namespace
}  // namespace kova
