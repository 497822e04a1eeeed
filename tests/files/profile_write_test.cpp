// SPDX-License-Identifier: GPL-3.0-or-later
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

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

// Whoever saves, the file stays its owner's, in its group, with its mode,
// attributes and other names: replaced where the new file can be given all
// that, else written in place.
TEST(WriteProfile, ASaveKeepsTheFilesOwnerGroupModeAttributesAndOtherNames) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to other users (CI runs as root)";
  QTemporaryDir temp;
  ASSERT_EQ(chmod(temp.path().toLocal8Bit().constData(), 0777), 0);  // the colleague's too
  struct Case {
    const char* name;
    uid_t owner;
    gid_t group;
    mode_t mode;
    bool linked;   // the file has a second name
    uid_t saver;   // 0: root; else a colleague in the file's group
    bool inPlace;  // else replaced by a new file
  };
  const Case cases[] = {
      {"another user's file saved by root", 4001, 4002, 0640, false, 0, false},
      {"a file with a second name", 0, 0, 0604, true, 0, true},
      {"a colleague's file saved by one of its group", 4001, 4002, 0660, false, 4003, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = temp.filePath(QString(c.name) + ".kova");
    const QByteArray native = QFile::encodeName(path);
    Put(path, Bytes(Fixture("image_layout.kova")));
    ASSERT_EQ(chown(native.constData(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(native.constData(), c.mode), 0);
    ASSERT_EQ(setxattr(native.constData(), "user.site", "north", 5, 0), 0);
    if (c.linked) {
      ASSERT_EQ(link(native.constData(), (native + ".link").constData()), 0);
    }
    const QStringList files = QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden);
    struct stat before {};
    ASSERT_EQ(stat(native.constData(), &before), 0);
    Document doc = StartupDocument();
    doc.cfg.ComPort = 7;
    if (c.saver == 0) {
      const ProfileSave save = WriteProfile(path, doc);
      ASSERT_TRUE(save.ok()) << save.failure->text;
    } else {
      const pid_t child = fork();
      if (child == 0) {
        const gid_t group = c.group;
        if (setgroups(1, &group) != 0 || setgid(c.saver) != 0 || setuid(c.saver) != 0) _exit(2);
        _exit(WriteProfile(path, doc).ok() ? 0 : 1);
      }
      int status = -1;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_EQ(status, 0);
    }
    struct stat after {};
    ASSERT_EQ(stat(native.constData(), &after), 0);
    EXPECT_EQ(after.st_uid, c.owner);
    EXPECT_EQ(after.st_gid, c.group);
    EXPECT_EQ(after.st_mode & 07777, c.mode);
    EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace);
    char site[8] = {};
    EXPECT_EQ(getxattr(native.constData(), "user.site", site, sizeof site), 5);
    EXPECT_STREQ(site, "north");
    EXPECT_NE(Bytes(path).find("Port=7"), std::string::npos);
    if (c.linked) {
      EXPECT_EQ(Bytes(path + ".link"), Bytes(path));
    }
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
  }
}

}  // namespace
}  // namespace kova
