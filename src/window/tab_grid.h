// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;
class QStackedWidget;

namespace kova {

// A tab control whose tabs wrap into rows, which Qt's one-row tab bar cannot
// do: a grid of tab buttons over a stack of pages. A page that does not fit
// scrolls. Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp change tabs as
// in a native tab control.
class TabGrid : public QWidget {
  Q_OBJECT

 public:
  explicit TabGrid(int perRow, QWidget* parent = nullptr);

  int addTab(QWidget* page, const QString& caption);
  int count() const { return static_cast<int>(buttons_.size()); }
  QString tabText(int index) const;
  QWidget* widget(int index) const;
  QAbstractButton* tabButton(int index) const;

  int currentIndex() const;
  // Brings a tab to the front; refused (false) for an unavailable tab.
  bool setCurrentIndex(int index);

  // An unavailable tab cannot be brought to the front, by the user or by code.
  void setTabEnabled(int index, bool enabled);
  bool isTabEnabled(int index) const;

  // Asked before the user's click brings the tab forward; false keeps the current one.
  void setLeaveGuard(std::function<bool(int index)> guard) { guard_ = std::move(guard); }

 signals:
  void currentChanged(int index);

 private:
  void onClicked(int index);
  // Ctrl+Tab and its kin: the next (1) or previous (-1) available tab.
  void step(int direction);

  int perRow_;
  QGridLayout* buttonRows_;
  QButtonGroup* group_;
  QStackedWidget* stack_;
  std::vector<QAbstractButton*> buttons_;
  std::function<bool(int)> guard_;
};

}  // namespace kova
