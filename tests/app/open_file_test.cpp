// SPDX-License-Identifier: GPL-3.0-or-later
// A file named on the command line opens as File > Open would open it, with
// no dialog; one that cannot be read says why and leaves the empty form.
#include "image/clear_form.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using OpenFileTest = WindowTest;

TEST_F(OpenFileTest, AReadableFileFillsTheFormAndOneThatIsNotSaysWhy) {
  QDir(dir.path()).mkdir("folder.kova");
  for (const QString& name :
       {path("missing.kova"), path("folder.kova"), QString(KOVA_FIXTURES "/image_bad_hex.kova"),
        QString(KOVA_FIXTURES "/image_layout.kova")}) {
    const bool readable = name.endsWith("image_layout.kova");
    prompter.shown.clear();
    window->OpenFile(name);
    EXPECT_EQ(prompter.shown.size(), readable ? 0u : 1u) << name.toStdString();
    EXPECT_EQ(cfg() == StartupConfiguration(), !readable) << name.toStdString();
    EXPECT_FALSE(window->isModified());
  }
  EXPECT_TRUE(prompter.opened.empty());
  EXPECT_EQ(window->session().LastFileName(), "image_layout.kova");
}

}  // namespace
}  // namespace kova::test
