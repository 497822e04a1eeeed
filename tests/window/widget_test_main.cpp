// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the widget tests inside one QApplication, on the offscreen platform
// unless another one is asked for. Whatever the window would keep in the
// user's own folders goes to the test locations instead.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
