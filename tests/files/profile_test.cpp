// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing .kova files: the image layout read and written, the
// legacy layout read, and every other line of a file kept as it was.
#include "files/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <string>

#include "field_edits.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "image/pack_refusals.h"
#include "test_files.h"

namespace kova {
namespace {

using namespace test;

QByteArray Hex(const EEpromImage& image) {
  return QByteArray(reinterpret_cast<const char*>(image.data()), 256).toHex().toUpper();
}

// A file without "Contents" loads only under a release-1 caption (one is put
// before sections that name none), read as the old program read it, over a
// document it does not name all of: the fields it does not name and the image
// are kept, and a section it lacks (zone 3 in each) gives every key its default.
TEST(LegacyLayout, ReadsValuesAsTheOldProgramDidAndKeepsThoseItDoesNotName) {
  Document current = StartupDocument();
  current.cfg =
      testing::Edited(current.cfg,
                      "Zones[2].CloseRIC1=999; Zones[2].ToggleFunc=3; Zones[4].TxMonitor=1; "
                      "VC=KEEP; SynthRx=1; Freq=1; RepeatRIC1=1; AlphaRepeatFunc=3; Polarity=Auto");
  const std::pair<const char*, const char*> cases[] = {
      // fixture or text, fields or refused
      // The file's clock jog, not the one 2400 baud presets; the sounder copies
      // the relay; the synthesizer is off at the default frequency.
      {"legacy_full.kova",
       "Ver[0]=2.07; Ver[1]=Mar  3 2001; Ver[2]=EEprom Layout Version 1; PocsagBaud=2400; "
       "Polarity=Inverted; ClkJog=5; Sign1RIC=654321; AlphaRepeatFunc=4; EnableAlphaCode=0; "
       "ResetRIC=2000000; Zones[0].CloseTMax=60; Zones[9].ToggleRIC2=1000; SndrMode=Timed; "
       "SndrTime=30; SynthRx=0; Freq=459050000"},
      // "Baud1200=false" clears its button and both relay buttons default to
      // false: those groups end with nothing selected; "Polarity Normal=0"
      // leaves the current Auto alone.
      {"legacy_missing_sections.kova",
       "PocsagBaud=0; Polarity=Auto; SndrMode=0; Zones[0].CloseRIC1=42; Zones[4].TxMonitor=1; "
       "VC=KEEP"},
      {"legacy_numeric_repeater.kova",  // the alpha repeater is left alone
       "RepeatRIC4=500099; NumericRepeatFunc=2; EnableNumericCode=0; RepeatRIC1=1; "
       "AlphaRepeatFunc=3"},
      {"[Version]\nKova Pro=  Kova Pro Configuration 1.2 beta  ", ""},
      {"[Version]\nKova Pro=kova pro configuration 1.2", nullptr},
      {"[Version]\nKova Pro=Kova Pro Configuration 2.0", nullptr},
      {"[Version]\nKova Pro=Kova Pro Configuration 10", nullptr},
      // negatives, halves to even, hex and greyed boxes
      {"[Comms]\nPort=-1\nPC Baud Rate=2.5\nKova Baud Rate=&H3\n[Chan 1]\nLinkToCommon=2",
       "ComPort=-1; BaudPC=2; BaudKova=3; Zones[0].RlyChan=2"},
      // a numeric repeater needs "Repeat Numeric" exactly one
      {"[Serial Data]\nRepeat Numeric=1.0\nRepeat RIC1=321", "RepeatRIC3=321"},
      {"[Serial Data]\nRepeat Numeric=&H1\nRepeat RIC1=321", "RepeatRIC3=321"},
      {"[Serial Data]\nRepeat Numeric=2\nRepeat RIC1=321", "RepeatRIC3=0"},
      {"[Serial Data]\nRepeat Numeric=0.5\nRepeat RIC1=321", "RepeatRIC3=0"},
      {"[Serial Data]\nRepeat Numeric=1.4\nRepeat RIC1=321", "RepeatRIC3=0"},
      // The rate buttons click before the polarity buttons are set, and the
      // file's jog replaces the preset: 2400 moves Auto to Normal, which
      // "Polarity Normal=False" then clears.
      {"[General]\nBaud2400=1\nPolarity Normal=False", "PocsagBaud=2400; Polarity=0; ClkJog=8"},
      {"[General]\nBaud512=TRUE\nBaud1200=0\nPolarity Normal=0",
       "PocsagBaud=512; Polarity=Auto; ClkJog=8"},
      {"[General]\nBaud512=1\nBaud2400=1\nPolarity Inverted=-1",
       "PocsagBaud=2400; Polarity=Inverted; ClkJog=8"},
  };
  for (const auto& [source, fields] : cases) {
    std::string text = source;  // a text without a caption is given release 1's
    if (!text.starts_with("[Version]"))
      text.insert(0, "[Version]\nKova Pro=Kova Pro Configuration 1.1\n");
    const ProfileLoad load = text.ends_with(".kova") ? ReadProfile(Fixture(source), current)
                                                     : ReadProfileText(text, "x.kova", current);
    ASSERT_EQ(load.ok(), fields != nullptr) << source;
    if (!fields) continue;
    EXPECT_EQ(load.document->image, current.image);
    const Configuration& cfg = load.document->cfg;
    EXPECT_EQ(testing::Values(cfg, fields), fields);
    for (const auto& zone : cfg.Zones)
      EXPECT_EQ(zone.SndrChan, zone.RlyChan) << source;
    Zone chan3;
    chan3.CloseFunc = chan3.OpenFunc = chan3.ToggleFunc = 0;
    EXPECT_TRUE(cfg.Zones[2] == chan3) << source;  // nothing of the current zone 3
  }
}

TEST(ReadProfile, HandsBackWhatInterpretingTheImageWarnsAboutOrOneValue) {
  const std::string contents = std::string(62, '0') + 'A' + std::string(449, '0');
  const ProfileLoad load =  // Chan 1 Close function code 5
      ReadProfileText("[EEprom]\nContents=" + contents, "x", StartupDocument());
  ASSERT_EQ(load.warnings.size(), 1u);
  EXPECT_NE(load.warnings[0].find("Chan 1 Close beep"), std::string::npos) << load.warnings[0];
  // One value, or the default.
  EXPECT_EQ(ProfileGetItem("VERSION", "kova", "", Fixture("commented.kova")), "3.15");
  EXPECT_EQ(ProfileGetItem("Comms", "Port", "d", Fixture("nowhere.kova")), "d");
}

// A new file holds the documented keys in order with CR LF; over a file of
// either layout every other line is kept byte for byte, and a legacy file
// becomes an image file. Reading it back, or the same written to standard
// output and read from standard input, takes nothing from the document it is
// read over and gives the document as saved: what the file holds.
TEST(WriteProfile, SavingKeepsEveryOtherLineAndReopeningGivesTheSameDocument) {
  QTemporaryDir temp;
  for (const char* fixture : {"", "image_layout.kova", "commented.kova", "legacy_full.kova"}) {
    SCOPED_TRACE(fixture);
    const QString path = temp.filePath(QString(fixture) + ".saved");
    const QByteArray old = *fixture ? Bytes(Fixture(fixture)) : "";
    Document doc = StartupDocument();
    if (*fixture) {
      ASSERT_TRUE(Put(path, old));
      doc = *ReadProfile(path, doc).document;
    }
    FillEmptyTexts(doc.cfg);  // a sparse legacy file leaves texts packing refuses
    const QByteArray oldHex = Hex(doc.image);
    doc.cfg.Ver = {"3.15", "Jan 10 2006", "2"};
    doc.cfg.Zones[3].CloseTMax = "15";  // packs in tens: the file holds 10
    doc.cfg.Zones[7].OpenRIC2 = "1234";
    doc.image[0] = 7;  // the elapsed time travels as it was
    Document packed = doc;
    PackEEprom(packed);
    ASSERT_TRUE(WriteProfile(path, doc).ok());
    EXPECT_EQ(doc.image, packed.image);
    EXPECT_EQ(doc.cfg.Zones[3].CloseTMax, "10");  // interpreted again: what the file holds
    const QByteArray saved = Bytes(path), hex = Hex(doc.image);
    if (!*fixture) {
      EXPECT_EQ(saved,
                "[Version]\r\nKova Pro=Kova Pro Configuration 3.1\r\nKova=3.15\r\nCompiled=Jan 10 "
                "2006\r\nEEprom=2\r\n[Comms]\r\nPort=0\r\nPC Baud Rate=4\r\n[EEprom]\r\nContents=" +
                    hex + "\r\n");
    } else if (old.contains("Contents")) {
      EXPECT_EQ(saved, QByteArray(old).replace(oldHex, hex));
    } else {
      EXPECT_TRUE(saved.contains("\r\nContents=" + hex + "\r\n"));
    }
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_TRUE(WriteProfileToStream(ends[1], "-", doc).ok());
    close(ends[1]);
    for (const ProfileLoad& back : {ReadProfile(path, StartupDocument()),
                                    ReadProfileStream(ends[0], "-", StartupDocument())}) {
      ASSERT_TRUE(back.ok());
      EXPECT_EQ(back.document->cfg, doc.cfg);
      EXPECT_EQ(back.document->image, doc.image);
    }
    close(ends[0]);
  }
}

}  // namespace
}  // namespace kova
