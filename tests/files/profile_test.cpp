// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing .kova files: the image layout read and written, the
// legacy layout read, and every other line of a file kept as it was.
#include "files/profile.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "field_edits.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "test_files.h"

namespace kova {
namespace {

using namespace test;

QByteArray Hex(const EEpromImage& image) {
  return QByteArray(reinterpret_cast<const char*>(image.data()), 256).toHex().toUpper();
}

// A release-1 file "x.kova" holding these sections after its caption.
ProfileLoad ReadLegacy(const std::string& sections, const Document& current = StartupDocument()) {
  return ReadProfileText("[Version]\nKova Pro=Kova Pro Configuration 1.1\n" + sections, "x.kova",
                         current);
}

TEST(ReadProfile, LoadsTheImageWhateverTheCaseSpacingOrExtraDigits) {
  const QByteArray text = Bytes(Fixture("image_layout.kova"));
  const QByteArray hex = text.mid(text.indexOf("Contents=") + 9, 512);
  for (const auto& [name, port, pcBaud] :
       std::vector<std::tuple<const char*, int, int>>{{"image_layout.kova", 2, 1},
                                                      {"image_lowercase.kova", 2, 1},
                                                      {"image_long_contents.kova", 2, 1},
                                                      {"commented.kova", 1, 4}}) {
    const ProfileLoad load = ReadProfile(Fixture(name), StartupDocument());
    ASSERT_TRUE(load.ok()) << name;
    EXPECT_TRUE(load.warnings.empty());
    const Configuration& cfg = load.document->cfg;
    EXPECT_EQ(Hex(load.document->image), hex) << name;
    EXPECT_EQ(cfg.Ver, (std::array<std::string, 3>{"3.15", "Jan 10 2006", "2"}));
    EXPECT_EQ(cfg.Zones[0].CloseRIC1, "123456");  // the image was interpreted
    EXPECT_EQ(std::pair(cfg.ComPort, cfg.BaudPC), std::pair(port, pcBaud)) << name;
  }
}

TEST(ReadProfile, ConversionsTakeNegativesHalvesToEvenHexAndGreyedBoxes) {
  const ProfileLoad load = ReadLegacy(
      "[Comms]\nPort=-1\nPC Baud Rate=2.5\nKova Baud Rate=&H3\n[Chan 1]\nLinkToCommon=2");
  ASSERT_TRUE(load.ok());
  const Configuration& cfg = load.document->cfg;
  EXPECT_EQ(std::tuple(cfg.ComPort, cfg.BaudPC, cfg.BaudKova, cfg.Zones[0].RlyChan),
            std::tuple(-1, 2, 3, 2));
}

// Without "Contents" only the legacy layout loads.
TEST(ReadProfile, OnlyAReleaseOneCaptionSelectsTheLegacyLayout) {
  const auto loads = [](const char* caption) {
    return ReadProfileText("[Version]\nKova Pro=" + std::string(caption), "x", StartupDocument())
        .ok();
  };
  EXPECT_TRUE(loads("  Kova Pro Configuration 1.2 beta  "));
  for (const char* caption :
       {"kova pro configuration 1.2", "Kova Pro Configuration 2.0", "Kova Pro Configuration 10"})
    EXPECT_FALSE(loads(caption)) << caption;
}

TEST(ReadProfile, HandsBackWhatInterpretingTheImageWarnsAbout) {
  const std::string contents = std::string(62, '0') + 'A' + std::string(449, '0');
  const ProfileLoad load =  // Chan 1 Close function code 5
      ReadProfileText("[EEprom]\nContents=" + contents, "x", StartupDocument());
  ASSERT_EQ(load.warnings.size(), 1u);
  EXPECT_NE(load.warnings[0].find("Chan 1 Close beep"), std::string::npos) << load.warnings[0];
}

TEST(ProfileGetItem, ReadsOneValueOrTheDefault) {
  EXPECT_EQ(ProfileGetItem("VERSION", "kova", "", Fixture("commented.kova")), "3.15");
  EXPECT_EQ(ProfileGetItem("Comms", "Port", "d", Fixture("nowhere.kova")), "d");
}

// Each fixture loads into its fields over a document it does not name all of,
// keeping the others and the image; a section it lacks (zone 3 in each) gives
// every key its default.
TEST(LegacyLayout, LoadsEachFixtureIntoItsFieldsAndKeepsThoseItDoesNotName) {
  Document current = StartupDocument();
  current.cfg =
      testing::Edited(current.cfg,
                      "Zones[2].CloseRIC1=999; Zones[2].ToggleFunc=3; Zones[4].TxMonitor=1; "
                      "VC=KEEP; SynthRx=1; Freq=1; RepeatRIC1=1; AlphaRepeatFunc=3");
  const std::pair<const char*, const char*> cases[] = {
      // The file's clock jog, not the one 2400 baud presets; the sounder copies
      // the relay; the synthesizer is off at the default frequency.
      {"legacy_full.kova",
       "Ver[0]=2.07; Ver[1]=Mar  3 2001; Ver[2]=EEprom Layout Version 1; PocsagBaud=2400; "
       "Polarity=Inverted; ClkJog=5; Sign1RIC=654321; AlphaRepeatFunc=4; EnableAlphaCode=0; "
       "ResetRIC=2000000; Zones[0].CloseTMax=60; Zones[9].ToggleRIC2=1000; SndrMode=Timed; "
       "SndrTime=30; SynthRx=0; Freq=459050000"},
      // "Baud1200=false" and "Polarity Normal=0" clear their buttons, and both
      // relay buttons default to false: the groups end with nothing selected.
      {"legacy_missing_sections.kova",
       "PocsagBaud=0; Polarity=0; SndrMode=0; Zones[0].CloseRIC1=42; Zones[4].TxMonitor=1; "
       "VC=KEEP"},
      {"legacy_numeric_repeater.kova",  // the alpha repeater is left alone
       "RepeatRIC4=500099; NumericRepeatFunc=2; EnableNumericCode=0; RepeatRIC1=1; "
       "AlphaRepeatFunc=3"},
  };
  for (const auto& [fixture, fields] : cases) {
    const ProfileLoad load = ReadProfile(Fixture(fixture), current);
    ASSERT_TRUE(load.ok()) << fixture;
    EXPECT_EQ(load.document->image, current.image);
    const Configuration& cfg = load.document->cfg;
    EXPECT_EQ(testing::Values(cfg, fields), fields);
    for (const auto& zone : cfg.Zones)
      EXPECT_EQ(zone.SndrChan, zone.RlyChan) << fixture;
    Zone chan3;
    chan3.CloseFunc = chan3.OpenFunc = chan3.ToggleFunc = 0;
    EXPECT_TRUE(cfg.Zones[2] == chan3) << fixture;  // nothing of the current zone 3
  }
}

TEST(LegacyLayout, ANumericRepeaterNeedsRepeatNumericExactlyOne) {
  for (const auto& [value, numeric] : std::vector<std::pair<std::string, bool>>{
           {"1.0", true}, {"&H1", true}, {"2", false}, {"0.5", false}, {"1.4", false}}) {
    const ProfileLoad load =
        ReadLegacy("[Serial Data]\nRepeat Numeric=" + value + "\nRepeat RIC1=321\n");
    ASSERT_TRUE(load.ok()) << value;
    EXPECT_EQ(load.document->cfg.RepeatRIC3, numeric ? "321" : "0") << value;
  }
}

TEST(LegacyLayout, RateButtonsClickBeforeThePolarityButtonsAreSet) {
  Document current = StartupDocument();
  current.cfg.Polarity = PolarityMode::Auto;
  const std::pair<const char*, const char*> cases[] = {
      // the file's jog replaces the preset
      // 2400 moves Auto to Normal, which "Polarity Normal=False" then clears.
      {"Baud2400=1\nPolarity Normal=False", "PocsagBaud=2400; Polarity=0; ClkJog=8"},
      {"Baud512=TRUE\nBaud1200=0\nPolarity Normal=0", "PocsagBaud=512; Polarity=Auto; ClkJog=8"},
      {"Baud512=1\nBaud2400=1\nPolarity Inverted=-1",
       "PocsagBaud=2400; Polarity=Inverted; ClkJog=8"},
  };
  for (const auto& [general, fields] : cases) {
    const ProfileLoad load = ReadLegacy("[General]\n" + std::string(general), current);
    ASSERT_TRUE(load.ok()) << general;
    EXPECT_EQ(testing::Values(load.document->cfg, fields), fields);
  }
}

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
    ASSERT_TRUE(Put(path, Bytes(Fixture(fixture))));
    Document doc = *ReadProfile(path, StartupDocument()).document;
    for (auto& zone : doc.cfg.Zones) {  // a sparse legacy file leaves texts packing refuses
      for (auto* text : {&zone.CloseRIC1, &zone.CloseRIC2, &zone.CloseTMax, &zone.OpenRIC1,
                         &zone.OpenRIC2, &zone.ToggleRIC1, &zone.ToggleRIC2}) {
        if (text->empty()) *text = "0";
      }
    }
    doc.cfg.Zones[7].OpenRIC2 = "1234";
    ASSERT_TRUE(WriteProfile(path, doc).ok()) << fixture;
    EXPECT_TRUE(Bytes(path).contains(Hex(doc.image))) << fixture;
    const ProfileLoad reopened = ReadProfile(path, StartupDocument());
    ASSERT_TRUE(reopened.ok()) << fixture;
    EXPECT_EQ(reopened.document->cfg, doc.cfg) << fixture;
    EXPECT_EQ(reopened.document->image, doc.image) << fixture;
  }
}

TEST(WriteProfile, KeepsEveryOtherLineOfTheFileByteForByte) {
  QTemporaryDir temp;
  const QString path = temp.filePath("commented.kova");
  const QByteArray original = Bytes(Fixture("commented.kova"));
  ASSERT_TRUE(Put(path, original));
  Document doc = *ReadProfile(path, StartupDocument()).document;
  const QByteArray oldHex = Hex(doc.image);
  doc.cfg.ComPort = 6;
  doc.cfg.Zones[5].EnableToggle = 1;
  ASSERT_TRUE(WriteProfile(path, doc).ok());

  QByteArray expected = original;
  expected.replace("Port = 1", "Port = 6").replace(oldHex, Hex(doc.image));
  EXPECT_NE(oldHex, Hex(doc.image));
  EXPECT_EQ(Bytes(path), expected);
}

TEST(WriteProfile, WhenPackingOrWritingFailsNothingIsWrittenAndNothingChanges) {
  QTemporaryDir temp;
  const QString kept = temp.filePath("kept.kova");
  ASSERT_TRUE(Put(kept, "; old\n"));
  Document refused = Edited();
  refused.cfg.Zones[2].OpenRIC2 = "12x";
  const ProfileSave save = WriteProfile(kept, refused);
  ASSERT_FALSE(save.ok());
  EXPECT_EQ(save.failure->text, "Could not save \"" + kept.toStdString() +
                                    "\"; nothing was written.\n"
                                    "Chan 3 Open RIC range end: '12x' is not a number.");
  EXPECT_EQ(save.control, "txtOpenRIC2(2)");
  EXPECT_EQ(Bytes(kept), "; old\n");

  Document doc = Edited();
  EXPECT_FALSE(WriteProfile(temp.filePath("no/such/folder.kova"), doc).ok());
  EXPECT_EQ(doc.image, Edited().image);
  EXPECT_EQ(doc.cfg, Edited().cfg);
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
    ASSERT_TRUE(Put(path, Bytes(Fixture("image_layout.kova"))));
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
    EXPECT_TRUE(Bytes(path).contains("Port=7"));
    if (c.linked) {
      EXPECT_EQ(Bytes(path + ".link"), Bytes(path));
    }
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
  }
}

}  // namespace
}  // namespace kova
