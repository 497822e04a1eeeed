#include "window_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include "window/tab_grid.h"

namespace kova::test {

void WindowTest::SetUp() {
  window = std::make_unique<frmMain>(prompter);
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

void WindowTest::TearDown() {
  window.reset();
}

void WindowTest::showTab(int index) {
  ASSERT_TRUE(window->tabs().setCurrentIndex(index));
  QApplication::processEvents();
}

void WindowTest::type(const std::string& field, const std::string& keys) {
  auto* edit = find<QLineEdit>(field);
  edit->setFocus(Qt::TabFocusReason);
  edit->end(false);  // Tab selects the whole text; type after it instead
  QTest::keyClicks(edit, QString::fromLatin1(keys));
}

void WindowTest::retype(const std::string& field, const std::string& keys) {
  auto* edit = find<QLineEdit>(field);
  edit->setFocus(Qt::TabFocusReason);
  edit->selectAll();
  QTest::keyClicks(edit, QString::fromLatin1(keys));
}

void WindowTest::leaveTo(QWidget* next) {
  next->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
}

void WindowTest::click(const std::string& name) {
  auto* button = find<QAbstractButton>(name);
  // Near the left edge: a check box only takes clicks on its box and caption.
  const QPoint spot(std::min(8, button->width() / 2), button->height() / 2);
  QTest::mouseClick(button, Qt::LeftButton, {}, spot);
  QApplication::processEvents();
}

}  // namespace kova::test
