#include "files/user_settings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <string>
#include <vector>

#include "files_test_support.h"

namespace kova {
namespace {

using test::Bytes;
using test::Put;
using test::TempFolder;

TEST(SettingsStore, AnEmptyStoreGivesTheDefaults) {
  TempFolder temp;
  const SettingsStore store(temp.Path("settings.ini"));
  std::vector<std::string> problems;
  const UserSettings settings = store.Read("/opt/kova", &problems);
  EXPECT_EQ(settings.MainLeft, 0);
  EXPECT_EQ(settings.MainTop, 0);
  EXPECT_EQ(settings.MainWidth, 9000);
  EXPECT_EQ(settings.MainHeight, 7600);
  EXPECT_EQ(settings.Path, "/opt/kova");
  EXPECT_EQ(settings.FileName, "");
  EXPECT_TRUE(problems.empty());
}

TEST(SettingsStore, ValuesSurviveFromOneRunToTheNextAsText) {
  TempFolder temp;
  const QString file = temp.Path("settings.ini");
  {
    SettingsStore store(file);
    UserSettings settings;
    settings.MainLeft = 1440;
    settings.MainTop = 12.5f;
    settings.MainWidth = 10815;
    settings.MainHeight = 8100;
    settings.Path = QString::fromUtf8("/home/t\u00e9ch/sites/");
    settings.FileName = "north.kova";
    store.WriteGeometry(settings);
    store.WriteLocation(settings);
    ASSERT_TRUE(store.Sync());
  }
  const std::string text = Bytes(file);
  EXPECT_NE(text.find("[Settings]"), std::string::npos);
  EXPECT_NE(text.find("MainTop=12.5"), std::string::npos);
  EXPECT_NE(text.find("MainWidth=10815"), std::string::npos);

  const UserSettings read = SettingsStore(file).Read("/opt/kova");
  EXPECT_EQ(read.MainLeft, 1440);
  EXPECT_EQ(read.MainTop, 12.5f);
  EXPECT_EQ(read.MainWidth, 10815);
  EXPECT_EQ(read.MainHeight, 8100);
  EXPECT_EQ(read.Path, QString::fromUtf8("/home/t\u00e9ch/sites/"));
  EXPECT_EQ(read.FileName, "north.kova");
}

TEST(SettingsStore, AValueThatIsNotANumberFallsBackToItsDefaultAndIsNamed) {
  TempFolder temp;
  const QString file = temp.Path("settings.ini");
  Put(file, "[Settings]\nMainLeft=abc\nMainTop=&H10\nMainWidth=1e40\nMainHeight= 7000 \n");
  std::vector<std::string> problems;
  const UserSettings settings = SettingsStore(file).Read("", &problems);
  EXPECT_EQ(settings.MainLeft, 0);
  EXPECT_EQ(settings.MainTop, 16);
  EXPECT_EQ(settings.MainWidth, 9000);
  EXPECT_EQ(settings.MainHeight, 7000);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "Setting \"MainLeft\": 'abc' is not a number; 0 is used instead.");
  EXPECT_EQ(problems[1].rfind("Setting \"MainWidth\"", 0), 0u);
}

TEST(SettingsStore, TheUsersOwnStoreIsSharedBetweenInstances) {
  TempFolder temp;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp.Folder());
  {
    SettingsStore store;
    UserSettings settings;
    settings.FileName = "shared.kova";
    store.WriteLocation(settings);
    ASSERT_TRUE(store.Sync());
  }
  EXPECT_EQ(SettingsStore().Read("").FileName, "shared.kova");
}

TEST(Twips, ConvertToPixelsAndBack) {
  EXPECT_EQ(TwipsToPixels(1440, 96), 96);
  EXPECT_EQ(TwipsToPixels(9000, 96), 600);
  EXPECT_EQ(PixelsToTwips(600, 96), 9000);
  EXPECT_EQ(TwipsToPixels(PixelsToTwips(123, 120), 120), 123);
}

}  // namespace
}  // namespace kova
