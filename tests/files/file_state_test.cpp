#include <gtest/gtest.h>

#include <QSettings>
#include <string>
#include <vector>

#include "files/file_session.h"
#include "files/profile.h"
#include "files/user_settings.h"
#include "files_test_support.h"

namespace kova {
namespace {

using namespace test;

TEST(BreakDown, SplitsAtTheLastSeparator) {
  QString name = "kept", folder = "kept";
  EXPECT_FALSE(BreakDown("", name, folder));
  EXPECT_EQ(folder + name, "keptkept");
  for (const auto& [path, parts] : std::vector<std::pair<const char*, std::string>>{
           {"/home/tech/sites/north.kova", "/home/tech/sites/|north.kova"},
           {"north.kova", "|north.kova"},
           {"rel/dir/", "rel/dir/|"}}) {
    EXPECT_TRUE(BreakDown(path, name, folder));
    EXPECT_EQ((folder + "|" + name).toStdString(), parts);
  }
  // A folder from the settings may lack its separator.
  EXPECT_EQ(FileSession("/opt/kova", "c.kova").CurrentPath(), "/opt/kova/c.kova");
  EXPECT_EQ(FileSession("/a/", "c.kova").CurrentPath(), "/a/c.kova");
}

TEST(FileSession, EachCommandTakesThePathOnlyWhenItSucceeds) {
  QTemporaryDir temp;
  FileSession session(temp.path() + "/", "remembered.kova");
  Document doc = StartupDocument();
  EXPECT_TRUE(session.Open(Fixture("image_bad_hex.kova"), doc).message);
  EXPECT_EQ(doc.cfg, StartupDocument().cfg);
  EXPECT_EQ(session.CurrentPath(), temp.filePath("remembered.kova"));  // a failure takes no path

  ASSERT_TRUE(session.SaveAs(temp.filePath("north"), doc).done);
  doc.cfg.ResetRIC = "88";
  EXPECT_TRUE(session.IsModified(doc));
  ASSERT_TRUE(session.Save(doc).done);
  EXPECT_FALSE(session.IsModified(doc));

  ASSERT_TRUE(session.New(doc).done);
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_TRUE(session.Save(doc).needsFileName);              // New forgets the file name
  EXPECT_EQ(session.CurrentPath(), temp.filePath("north"));  // but not where the dialogs start

  ASSERT_TRUE(session.Open(temp.filePath("north"), doc).done);
  EXPECT_EQ(doc.cfg.ResetRIC, "88");  // what Save wrote there
  EXPECT_EQ(doc.cfg.FileName, "north");
  EXPECT_FALSE(session.IsModified(doc));
}

TEST(SettingsStore, NamesValuesThatAreNotNumbersAndKeepsWhatWasWrittenAsText) {
  QTemporaryDir temp;
  const QString file = temp.filePath("settings.ini");
  Put(file, "[Settings]\nMainLeft=abc\nMainTop=&H10\nMainWidth=1e40\n");
  std::vector<std::string> problems;
  const UserSettings read = SettingsStore(file).Read("/opt/kova", &problems);
  EXPECT_EQ(read.MainLeft, 0);
  EXPECT_EQ(read.MainTop, 16);
  EXPECT_EQ(read.MainWidth, 9000);
  EXPECT_EQ(read.Path, "/opt/kova");
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "Setting \"MainLeft\": 'abc' is not a number; 0 is used instead.");

  UserSettings written;
  written.MainTop = 12.5f;
  written.Path = QString::fromUtf8("/home/t\u00e9ch/");
  {
    SettingsStore store(file);
    store.WriteGeometry(written);
    store.WriteLocation(written);
    ASSERT_TRUE(store.Sync());
  }
  EXPECT_NE(Bytes(file).find("MainTop=12.5\n"), std::string::npos);  // stored as text
  EXPECT_EQ(SettingsStore(file).Read("").MainTop, 12.5f);
  EXPECT_EQ(SettingsStore(file).Read("").Path, written.Path);
}

TEST(SettingsStore, TheUsersOwnStoreLastsBeyondOneInstance) {
  QTemporaryDir temp;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp.path() + "/");
  UserSettings settings;
  settings.FileName = "shared.kova";
  SettingsStore().WriteLocation(settings);
  EXPECT_EQ(SettingsStore().Read("").FileName, "shared.kova");
  EXPECT_EQ(TwipsToPixels(9000, 96), 600);
  EXPECT_EQ(TwipsToPixels(PixelsToTwips(123, 120), 120), 123);
}

}  // namespace
}  // namespace kova
