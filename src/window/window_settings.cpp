// SPDX-License-Identifier: GPL-3.0-or-later
// The window's place and the last file location, carried from one run to
// the next in the per-user settings.
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

#include "files/user_settings.h"
#include "window/main_window.h"

namespace kova {
namespace {

// The settings hold twips; the window is placed in pixels of the main screen.
double DotsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInch() : 96.0;
}

// The screen a stored place lands on: the one it overlaps most. A place on a
// screen that is no longer there (a monitor unplugged since) lands on the
// main screen.
const QScreen* ScreenFor(const QRect& place) {
  const QScreen* best = QGuiApplication::primaryScreen();
  long bestArea = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect common = screen->availableGeometry().intersected(place);
    const long area = common.isEmpty() ? 0L : long(common.width()) * common.height();
    if (area > bestArea) {
      best = screen;
      bestArea = area;
    }
  }
  return best;
}

// The place within the area: kept when it fits, moved onto it when it does
// not, and shrunk to it (the pages then scroll) when it is larger.
QRect Fitted(QRect place, const QRect& area) {
  place.setSize(place.size().boundedTo(area.size()));
  if (place.right() > area.right()) place.moveRight(area.right());
  if (place.bottom() > area.bottom()) place.moveBottom(area.bottom());
  if (place.left() < area.left()) place.moveLeft(area.left());
  if (place.top() < area.top()) place.moveTop(area.top());
  return place;
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
  const QScreen* screen = ScreenFor(place);
  if (!screen) {
    resize(place.size());
    move(place.topLeft());
  } else {
    // The stored place is the frame's corner and the inside's size; the
    // window takes at least its minimum size.
    const QRect area = screen->availableGeometry();
    const QSize frame = FrameAllowance();
    const QRect outer(place.topLeft(), place.size().expandedTo(minimumSize()) + frame);
    const QRect fitted = Fitted(outer, area);
    resize(fitted.size() - frame);
    move(fitted.topLeft());
    // A window closed maximised filled its screen: it comes back maximised.
    if (place.topLeft() == area.topLeft() && outer.width() >= area.width() - frame.width() &&
        outer.height() >= area.height() - frame.height())
      setWindowState(windowState() | Qt::WindowMaximized);
  }
  if (problems.empty()) return;
  std::string text = "Some of the stored settings could not be used:";
  for (const auto& problem : problems)
    text += "\n" + problem;
  prompter_.Show({.text = text, .icon = MessageIcon::Warning});
}

QSize MainWindow::FrameAllowance() const {
  // What a window manager adds around the window: a border and a title bar.
  // Only known once the window is shown, so estimated from the style.
  const int border = 4;
  return {2 * border, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + 2 * border};
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
