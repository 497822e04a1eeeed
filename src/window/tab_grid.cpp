// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/tab_grid.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kova {
namespace {

// The tab in front is drawn in the selection colour and bold, in every
// style, so that it cannot be mistaken for a pressed or hovered button.
constexpr const char* kTabStyle =
    "QPushButton { padding: 3px 6px; border: 1px solid palette(mid); border-radius: 3px;"
    " background: palette(button); color: palette(button-text); }"
    "QPushButton:hover:!checked { background: palette(light); }"
    "QPushButton:checked { background: palette(highlight); color: palette(highlighted-text);"
    " font-weight: bold; border-color: palette(dark); }"
    "QPushButton:disabled { color: palette(mid); }"
    "QPushButton:focus { border: 2px solid palette(dark); }";

// A page that does not fit the window scrolls; one that fits asks for its
// whole size, so that the window opens large enough to show it.
class PageScroller : public QScrollArea {
 public:
  explicit PageScroller(QWidget* page) {
    setWidget(page);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);  // the page's controls are the stops, not the page
  }
  QSize sizeHint() const override { return widget()->sizeHint(); }
};

// The first control of the page that the Tab key reaches.
QWidget* FirstField(QWidget* page) {
  for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w) && w->isVisibleTo(page) && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus)) {
      return w;
    }
  }
  return nullptr;
}

}  // namespace

TabGrid::TabGrid(int perRow, QWidget* parent)
    : QWidget(parent),
      perRow_(perRow),
      buttonRows_(new QGridLayout),
      group_(new QButtonGroup(this)),
      stack_(new QStackedWidget) {
  buttonRows_->setSpacing(0);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(buttonRows_);
  layout->addWidget(stack_, 1);
  stack_->setFrameShape(QFrame::StyledPanel);
  group_->setExclusive(true);
  connect(group_, &QButtonGroup::idClicked, this, &TabGrid::onClicked);
  // The keys of a native tab control; the unavailable tab is passed over.
  const std::pair<QKeySequence, int> steps[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
  for (const auto& [keys, direction] : steps) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, d = direction] { step(d); });
  }
}

void TabGrid::step(int direction) {
  const int from = currentIndex();
  int to = from;
  do {
    to = (to + direction + count()) % count();
  } while (to != from && !isTabEnabled(to));
  if (to == from) return;
  // Leave the field first, as a click on the tab would: a refused field keeps the user.
  QWidget* focus = QApplication::focusWidget();
  if (focus && widget(from)->isAncestorOf(focus)) focus->clearFocus();
  if (guard_ && !guard_(to)) return;
  if (!setCurrentIndex(to)) return;
  QWidget* first = FirstField(widget(to));
  (first ? first : static_cast<QWidget*>(tabButton(to)))->setFocus(Qt::TabFocusReason);
}

int TabGrid::addTab(QWidget* page, const QString& caption) {
  const int index = count();
  auto* button = new QPushButton(caption);
  button->setCheckable(true);
  button->setStyleSheet(kTabStyle);
  // The Tab key walks the page, not seventeen tab buttons; Ctrl+Tab changes tabs.
  button->setFocusPolicy(Qt::ClickFocus);
  button->setObjectName(QStringLiteral("tab(%1)").arg(index));
  buttonRows_->addWidget(button, index / perRow_, index % perRow_);
  group_->addButton(button, index);
  buttons_.push_back(button);
  stack_->addWidget(new PageScroller(page));
  if (index == 0) button->setChecked(true);
  return index;
}

QString TabGrid::tabText(int index) const {
  return tabButton(index)->text();
}

QWidget* TabGrid::widget(int index) const {
  return qobject_cast<QScrollArea*>(stack_->widget(index))->widget();
}

QAbstractButton* TabGrid::tabButton(int index) const {
  return buttons_.at(static_cast<std::size_t>(index));
}

int TabGrid::currentIndex() const {
  return stack_->currentIndex();
}

bool TabGrid::setCurrentIndex(int index) {
  if (index < 0 || index >= count() || !isTabEnabled(index)) return false;
  tabButton(index)->setChecked(true);
  if (stack_->currentIndex() != index) {
    stack_->setCurrentIndex(index);
    emit currentChanged(index);
  }
  return true;
}

void TabGrid::setTabEnabled(int index, bool enabled) {
  tabButton(index)->setEnabled(enabled);
}

bool TabGrid::isTabEnabled(int index) const {
  return tabButton(index)->isEnabled();
}

void TabGrid::onClicked(int index) {
  // The clicked button looks in front only once its page is: while the
  // guard's message is up the front page is still the old one.
  tabButton(currentIndex())->setChecked(true);
  if (!guard_ || guard_(index)) setCurrentIndex(index);
}

}  // namespace kova
