// SPDX-License-Identifier: GPL-3.0-or-later
// The window's place and the last file location, carried from one run to
// the next in the per-user settings.
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "files/user_settings.h"
#include "window/main_window.h"

namespace kova {
namespace {

// The settings hold twips; the window is placed in pixels of the main screen.
double DotsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInch() : 96.0;
}

// A place on a screen that is no longer there (a monitor unplugged since)
// would open the window out of reach; it opens on the main screen instead.
QPoint Reachable(const QRect& place) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->availableGeometry().intersects(place)) return place.topLeft();
  }
  const QScreen* main = QGuiApplication::primaryScreen();
  return main ? main->availableGeometry().topLeft() : QPoint();
}

// The program's own folder is no place for the user's files, and installed it
// is one that only root may write to: the dialogs start in the user's
// documents instead, also when an earlier run (or one under sudo) left it.
QString FirstFolder(const QString& folder) {
  const QString program = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
  if (!program.isEmpty() && QFileInfo(folder).canonicalFilePath() == program) {
    return DefaultFileFolder();
  }
  return folder;
}

}  // namespace

void MainWindow::RestoreSettings() {
  std::vector<std::string> problems;
  const UserSettings stored = settings_.Read(FirstFolder(programFolder_), &problems);
  session_ = FileSession(FirstFolder(stored.Path), stored.FileName);
  const double dpi = DotsPerInch();
  const QRect place(TwipsToPixels(stored.MainLeft, dpi), TwipsToPixels(stored.MainTop, dpi),
                    TwipsToPixels(stored.MainWidth, dpi), TwipsToPixels(stored.MainHeight, dpi));
  resize(place.size());
  move(Reachable(place));
  if (problems.empty()) return;
  std::string text = "Some of the stored settings could not be used:";
  for (const auto& problem : problems)
    text += "\n" + problem;
  prompter_.Show({.text = text, .icon = MessageIcon::Warning});
}

void MainWindow::StoreSettings() {
  UserSettings current;
  // A minimised window has no place worth keeping: the last one stays.
  if (!isMinimized()) {
    const double dpi = DotsPerInch();
    current.MainLeft = PixelsToTwips(pos().x(), dpi);
    current.MainTop = PixelsToTwips(pos().y(), dpi);
    current.MainWidth = PixelsToTwips(width(), dpi);
    current.MainHeight = PixelsToTwips(height(), dpi);
    settings_.WriteGeometry(current);
  }
  current.Path = session_.LastPath();
  current.FileName = session_.LastFileName();
  settings_.WriteLocation(current);
  if (!settings_.Sync()) {
    prompter_.Show({.text = "The window's place and the last file location could not be stored; "
                            "the next start opens with the earlier ones.",
                    .icon = MessageIcon::Warning});
  }
}

}  // namespace kova
