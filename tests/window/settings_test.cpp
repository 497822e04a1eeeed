#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include "window_test_support.h"

namespace kova::test {
namespace {

class SettingsTest : public WindowTest {
 protected:
  // Closes the window as the user does and starts the program again, over
  // the settings it left or over those given.
  void Restart(const char* ini = nullptr) {
    window->close();
    window.reset();
    settings.reset();
    if (ini) {
      QFile file(path("settings.ini"));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(ini);
    }
    settings = std::make_unique<SettingsStore>(path("settings.ini"));
    Start();
  }
  static double Dpi() { return QGuiApplication::primaryScreen()->logicalDotsPerInch(); }
};

TEST_F(SettingsTest, TheWindowReopensWhereItWasClosedUnlessItWasMinimised) {
  EXPECT_EQ(window->pos(), QPoint(0, 0));  // a first run
  const QPoint place(48, 36);
  const QSize size = window->size() + QSize(30, 20);
  window->move(place);
  window->resize(size);
  prompter.savePath = file("unit 7.kova");
  window->MenuFileSaveAs_Click();
  Restart();
  EXPECT_EQ(window->pos(), place);
  EXPECT_EQ(window->size(), size);
  EXPECT_EQ(text("txtFileName"), "");  // no file is opened at start-up
  window->MenuFileSave_Click();
  ASSERT_EQ(prompter.saved.size(), 2u);
  EXPECT_EQ(prompter.saved[1].name, "unit 7.kova");
  EXPECT_EQ(prompter.saved[1].folder, dir.path().toStdString() + "/");

  window->move(place + QPoint(100, 100));
  window->showMinimized();
  Restart();
  EXPECT_EQ(window->pos(), place);
  EXPECT_EQ(window->size(), size);
}

TEST_F(SettingsTest, StoredValuesThatCannotBeUsedAreNamedAndReplaced) {
  struct Case {
    const char* ini;
    const char* named;  // in the message; "" for none
    QPoint place;
  };
  const QPoint screenCorner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
  const Case cases[] = {
      {"[Settings]\nMainLeft=left\nMainTop=720\n", "MainLeft", {0, TwipsToPixels(720, Dpi())}},
      // A screen unplugged since: the window comes back within reach.
      {"[Settings]\nMainLeft=9000000\nMainTop=9000000\n", "", screenCorner},
  };
  for (const auto& c : cases) {
    prompter.shown.clear();
    Restart(c.ini);
    ASSERT_EQ(prompter.shown.size(), *c.named ? 1u : 0u) << c.ini;
    if (*c.named) {
      EXPECT_NE(prompter.shown[0].text.find(c.named), std::string::npos);
    }
    EXPECT_EQ(window->pos(), c.place) << c.ini;
  }
}

}  // namespace
}  // namespace kova::test
