#include "files/file_session.h"

#include <gtest/gtest.h>

#include <QFile>
#include <string>
#include <vector>

#include "files/profile.h"
#include "files_test_support.h"

namespace kova {
namespace {

using test::Bytes;
using test::Fixture;
using test::Put;
using test::StartupDocument;
using test::TempFolder;

struct BreakDownCase {
  const char* path;
  const char* folder;
  const char* name;
};

TEST(BreakDown, SplitsAtTheLastSeparator) {
  const std::vector<BreakDownCase> cases{
      {"/home/tech/sites/north.kova", "/home/tech/sites/", "north.kova"},
      {"north.kova", "", "north.kova"},
      {"/north", "/", "north"},
      {"/home/tech/", "/home/tech/", ""},
      {"rel/dir/n o.kova", "rel/dir/", "n o.kova"},
  };
  for (const auto& c : cases) {
    QString name = "old";
    QString folder = "old";
    EXPECT_TRUE(BreakDown(QString::fromUtf8(c.path), name, folder));
    EXPECT_EQ(folder.toStdString(), c.folder) << c.path;
    EXPECT_EQ(name.toStdString(), c.name) << c.path;
  }
  QString name = "kept";
  QString folder = "kept";
  EXPECT_FALSE(BreakDown("", name, folder));
  EXPECT_EQ(name, "kept");
  EXPECT_EQ(folder, "kept");
}

TEST(FileSession, SaveWritesToTheLastFolderAndName) {
  EXPECT_EQ(FileSession("/a/b/", "c.kova").CurrentPath(), "/a/b/c.kova");
  // A folder from the settings may lack its separator.
  EXPECT_EQ(FileSession("/opt/kova", "c.kova").CurrentPath(), "/opt/kova/c.kova");
  EXPECT_EQ(FileSession("", "c.kova").CurrentPath(), "c.kova");
}

TEST(FileSession, OpenTakesTheFileAndItsLocation) {
  FileSession session("/start/", "last.kova");
  Document doc = StartupDocument();
  session.MarkSaved(doc);
  const FileOutcome outcome = session.Open(Fixture("image_layout.kova"), doc);
  ASSERT_TRUE(outcome.done);
  EXPECT_FALSE(outcome.message);
  EXPECT_EQ(doc.cfg.FileName, "image_layout.kova");
  EXPECT_EQ(session.LastFileName(), "image_layout.kova");
  EXPECT_EQ(session.LastPath(), QString::fromUtf8(KOVA_FIXTURES) + "/");
  EXPECT_EQ(doc.cfg.Zones[0].CloseRIC1, "123456");
  EXPECT_FALSE(session.IsModified(doc));
  doc.cfg.Zones[0].CloseRIC1 = "1";
  EXPECT_TRUE(session.IsModified(doc));
}

TEST(FileSession, AFailedOpenChangesNothing) {
  FileSession session("/start/", "last.kova");
  Document doc = StartupDocument();
  doc.cfg.FileName = "current.kova";
  const Document before = doc;
  const FileOutcome outcome = session.Open(Fixture("image_bad_hex.kova"), doc);
  EXPECT_FALSE(outcome.done);
  ASSERT_TRUE(outcome.message);
  EXPECT_NE(outcome.message->text.find("byte 17 is 'G1'"), std::string::npos);
  EXPECT_EQ(doc.cfg, before.cfg);
  EXPECT_EQ(session.LastPath(), "/start/");
  EXPECT_EQ(session.LastFileName(), "last.kova");
}

TEST(FileSession, SaveWithoutACurrentFileAsksForANameAndWritesNothing) {
  TempFolder temp;
  FileSession session(temp.Folder(), "remembered.kova");
  Document doc = StartupDocument();
  const FileOutcome outcome = session.Save(doc);
  EXPECT_TRUE(outcome.needsFileName);
  EXPECT_FALSE(outcome.done);
  EXPECT_FALSE(QFile::exists(temp.Path("remembered.kova")));
}

TEST(FileSession, SaveAsThenNewThenSave) {
  TempFolder temp;
  FileSession session;
  Document doc = StartupDocument();
  doc.cfg.Zones[1].CloseTMax = "25";

  // A name typed without an extension is used as typed.
  ASSERT_TRUE(session.SaveAs(temp.Path("north"), doc).done);
  EXPECT_TRUE(QFile::exists(temp.Path("north")));
  EXPECT_EQ(doc.cfg.FileName, "north");
  EXPECT_EQ(doc.cfg.Zones[1].CloseTMax, "20");  // what the file holds
  EXPECT_FALSE(session.IsModified(doc));

  doc.cfg.ResetRIC = "77";
  EXPECT_TRUE(session.IsModified(doc));
  ASSERT_TRUE(session.Save(doc).done);
  EXPECT_NE(Bytes(temp.Path("north")).find("Contents="), std::string::npos);
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_EQ(ReadProfile(temp.Path("north"), StartupDocument()).document->cfg.ResetRIC, "77");

  ASSERT_TRUE(session.New(doc).done);
  EXPECT_EQ(doc.cfg.FileName, "");
  EXPECT_EQ(doc.cfg.ResetRIC, "0");
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_EQ(session.LastPath(), temp.Folder());
  EXPECT_EQ(session.LastFileName(), "north");
  EXPECT_TRUE(session.Save(doc).needsFileName);
}

TEST(FileSession, AFailedSaveAsKeepsTheCurrentFile) {
  TempFolder temp;
  FileSession session("/start/", "last.kova");
  Document doc = StartupDocument();
  doc.cfg.FileName = "last.kova";
  doc.cfg.Sign1RIC = "bad";
  const FileOutcome outcome = session.SaveAs(temp.Path("other.kova"), doc);
  EXPECT_FALSE(outcome.done);
  EXPECT_EQ(outcome.control, "txtSign1RIC");
  EXPECT_EQ(doc.cfg.FileName, "last.kova");
  EXPECT_EQ(session.LastPath(), "/start/");
  EXPECT_FALSE(QFile::exists(temp.Path("other.kova")));
}

}  // namespace
}  // namespace kova
