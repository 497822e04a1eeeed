#include "files/user_settings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <string>
#include <vector>

#include "files_test_support.h"

namespace kova {
namespace {

using namespace test;

TEST(SettingsStore, GivesDefaultsThenKeepsWhatWasWrittenAsText) {
  TempFolder temp;
  const QString file = temp.Path("settings.ini");
  const UserSettings defaults = SettingsStore(file).Read("/opt/kova");
  EXPECT_EQ(defaults.MainWidth, 9000);
  EXPECT_EQ(defaults.MainHeight, 7600);
  EXPECT_EQ(defaults.Path, "/opt/kova");
  EXPECT_EQ(defaults.FileName, "");

  UserSettings written;
  written.MainLeft = 1440;
  written.MainTop = 12.5f;
  written.Path = QString::fromUtf8("/home/t\u00e9ch/");
  written.FileName = "north.kova";
  {
    SettingsStore store(file);
    store.WriteGeometry(written);
    store.WriteLocation(written);
    ASSERT_TRUE(store.Sync());
  }
  EXPECT_NE(Bytes(file).find("MainTop=12.5\n"), std::string::npos);  // stored as text
  const UserSettings read = SettingsStore(file).Read("/opt/kova");
  EXPECT_EQ(read.MainLeft, 1440);
  EXPECT_EQ(read.MainTop, 12.5f);
  EXPECT_EQ(read.Path, written.Path);
  EXPECT_EQ(read.FileName, "north.kova");
}

TEST(SettingsStore, AValueThatIsNotANumberFallsBackToItsDefaultAndIsNamed) {
  TempFolder temp;
  Put(temp.Path("s.ini"), "[Settings]\nMainLeft=abc\nMainTop=&H10\nMainWidth=1e40\n");
  std::vector<std::string> problems;
  const UserSettings settings = SettingsStore(temp.Path("s.ini")).Read("", &problems);
  EXPECT_EQ(settings.MainLeft, 0);
  EXPECT_EQ(settings.MainTop, 16);
  EXPECT_EQ(settings.MainWidth, 9000);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "Setting \"MainLeft\": 'abc' is not a number; 0 is used instead.");
}

TEST(SettingsStore, TheUsersOwnStoreLastsBeyondOneInstance) {
  TempFolder temp;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp.Folder());
  UserSettings settings;
  settings.FileName = "shared.kova";
  SettingsStore().WriteLocation(settings);
  EXPECT_EQ(SettingsStore().Read("").FileName, "shared.kova");
  EXPECT_EQ(TwipsToPixels(9000, 96), 600);
  EXPECT_EQ(TwipsToPixels(PixelsToTwips(123, 120), 120), 123);
}

}  // namespace
}  // namespace kova
