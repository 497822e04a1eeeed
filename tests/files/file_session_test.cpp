#include "files/file_session.h"

#include <gtest/gtest.h>

#include <QFile>
#include <string>
#include <vector>

#include "files/profile.h"
#include "files_test_support.h"

namespace kova {
namespace {

using namespace test;

TEST(BreakDown, SplitsAtTheLastSeparator) {
  const std::vector<std::array<const char*, 3>> cases{
      {"/home/tech/sites/north.kova", "/home/tech/sites/", "north.kova"},
      {"north.kova", "", "north.kova"},
      {"/north", "/", "north"},
      {"rel/dir/", "rel/dir/", ""},
  };
  for (const auto& [path, folder, name] : cases) {
    QString gotName = "old";
    QString gotFolder = "old";
    EXPECT_TRUE(BreakDown(path, gotName, gotFolder));
    EXPECT_EQ(gotFolder.toStdString() + "|" + gotName.toStdString(),
              std::string(folder) + "|" + name);
  }
  QString name = "kept";
  EXPECT_FALSE(BreakDown("", name, name));
  EXPECT_EQ(name, "kept");
  // A folder from the settings may lack its separator.
  EXPECT_EQ(FileSession("/opt/kova", "c.kova").CurrentPath(), "/opt/kova/c.kova");
  EXPECT_EQ(FileSession("/a/", "c.kova").CurrentPath(), "/a/c.kova");
}

TEST(FileSession, OpenTakesTheFileOnlyWhenItLoads) {
  FileSession session("/start/", "last.kova");
  Document doc = StartupDocument();
  doc.cfg.FileName = "current.kova";
  const Document before = doc;

  const FileOutcome failed = session.Open(Fixture("image_bad_hex.kova"), doc);
  EXPECT_FALSE(failed.done);
  EXPECT_TRUE(failed.message);
  EXPECT_EQ(doc.cfg, before.cfg);
  EXPECT_EQ(session.CurrentPath(), "/start/last.kova");

  ASSERT_TRUE(session.Open(Fixture("image_layout.kova"), doc).done);
  EXPECT_EQ(doc.cfg.FileName, "image_layout.kova");
  EXPECT_EQ(session.CurrentPath(), Fixture("image_layout.kova"));
  EXPECT_FALSE(session.IsModified(doc));
  doc.cfg.Zones[0].CloseRIC1 = "1";
  EXPECT_TRUE(session.IsModified(doc));
}

TEST(FileSession, SaveAsThenSaveThenNew) {
  TempFolder temp;
  FileSession session(temp.Folder(), "remembered.kova");
  Document doc = StartupDocument();
  session.MarkSaved(doc);
  EXPECT_TRUE(session.Save(doc).needsFileName);  // no current file yet
  EXPECT_FALSE(QFile::exists(temp.Path("remembered.kova")));

  doc.cfg.Sign1RIC = "bad";
  const FileOutcome refused = session.SaveAs(temp.Path("other.kova"), doc);
  EXPECT_EQ(refused.control, "txtSign1RIC");
  EXPECT_EQ(doc.cfg.FileName, "");
  EXPECT_EQ(session.LastFileName(), "remembered.kova");

  doc.cfg.Sign1RIC = "77";
  ASSERT_TRUE(session.SaveAs(temp.Path("north"), doc).done);  // the name is used as typed
  EXPECT_EQ(doc.cfg.FileName, "north");
  doc.cfg.ResetRIC = "88";
  EXPECT_TRUE(session.IsModified(doc));
  ASSERT_TRUE(session.Save(doc).done);
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_EQ(ReadProfile(temp.Path("north"), StartupDocument()).document->cfg.ResetRIC, "88");

  ASSERT_TRUE(session.New(doc).done);
  EXPECT_EQ(doc.cfg.FileName, "");
  EXPECT_EQ(doc.cfg.ResetRIC, "0");
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_EQ(session.CurrentPath(), temp.Path("north"));  // still where the dialogs start
  EXPECT_TRUE(session.Save(doc).needsFileName);
}

}  // namespace
}  // namespace kova
