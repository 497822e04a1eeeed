// SPDX-License-Identifier: GPL-3.0-or-later
// A file named on the command line opens as File > Open would open it.
#include "image/clear_form.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

class OpenFileTest : public WindowTest {};

TEST_F(OpenFileTest, AReadableFileFillsTheFormAndBecomesTheLastFile) {
  window->OpenFile(KOVA_FIXTURES "/image_layout.kova");
  EXPECT_TRUE(prompter.shown.empty());
  EXPECT_TRUE(prompter.opened.empty()) << "no dialog: the path is given";
  EXPECT_EQ(window->session().LastFileName(), "image_layout.kova");
  EXPECT_NE(cfg(), StartupConfiguration()) << "the file's configuration is shown";
  EXPECT_FALSE(window->isModified());
}

TEST_F(OpenFileTest, AFileThatCannotBeReadSaysWhyAndLeavesTheEmptyForm) {
  struct Case {
    const char* what;
    QString path;
  };
  QDir(dir.path()).mkdir("folder.kova");
  const Case cases[] = {{"missing", path("missing.kova")},
                        {"a folder", path("folder.kova")},
                        {"not a configuration", KOVA_FIXTURES "/image_bad_hex.kova"}};
  for (const auto& c : cases) {
    prompter.shown.clear();
    window->OpenFile(c.path);
    EXPECT_EQ(prompter.shown.size(), 1u) << c.what;
    EXPECT_EQ(cfg(), StartupConfiguration()) << c.what;
    EXPECT_FALSE(window->isModified()) << c.what;
  }
}

}  // namespace
}  // namespace kova::test
