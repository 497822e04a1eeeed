#include "window/tab_grid.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kova {

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
}

int TabGrid::addTab(QWidget* page, const QString& caption) {
  const int index = count();
  auto* button = new QPushButton(caption);
  button->setCheckable(true);
  button->setObjectName(QStringLiteral("tab(%1)").arg(index));
  buttonRows_->addWidget(button, index / perRow_, index % perRow_);
  group_->addButton(button, index);
  buttons_.push_back(button);
  stack_->addWidget(page);
  if (index == 0) button->setChecked(true);
  return index;
}

QString TabGrid::tabText(int index) const {
  return tabButton(index)->text();
}

QWidget* TabGrid::widget(int index) const {
  return stack_->widget(index);
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
  if (!guard_ || guard_(index)) {
    if (setCurrentIndex(index)) return;
  }
  // Refused: the pressed button must not look like the front tab.
  tabButton(currentIndex())->setChecked(true);
}

}  // namespace kova
