// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

namespace kova::test {

// Signals across threads, child processes and serial ports want an
// application object; one is made on first use and lives to the end.
inline QCoreApplication& QtApp() {
  static int argc = 1;
  static char name[] = "tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

}  // namespace kova::test
