#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "window/frm_main.h"
#include "window/prompter.h"
#include "window/tab_grid.h"
#include "window/window_hooks.h"

namespace kova::test {

// Answers every question as told and remembers what was shown and asked.
class RecordingPrompter : public Prompter {
 public:
  void Show(const Message& message) override { shown.push_back(message); }
  bool Ask(const Message& question) override {
    asked.push_back(question);
    return askAnswer;
  }
  SaveChoice AskSave(const Message& question) override {
    asked.push_back(question);
    return saveAnswer;
  }
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return {}; }

  std::vector<Message> shown, asked;
  bool askAnswer = true;
  SaveChoice saveAnswer = SaveChoice::Cancel;
};

// Counts the hooks that ran; Save reports what it is told.
struct RecordingHooks : WindowHooks {
  bool Save(frmMain&) override {
    ++saves;
    return saved;
  }
  void Open(frmMain&) override { ++opens; }
  void Get(frmMain&) override { ++gets; }
  int saves = 0, opens = 0, gets = 0;
  bool saved = true;
};

// A started window, shown and active so that the focus moves as for a user.
class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<frmMain>(prompter, &hooks);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  // A control by its documented object name.
  template <class W = QWidget>
  W* find(const std::string& name) {
    auto* widget = window->findChild<W*>(QString::fromStdString(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString text(const std::string& name) { return find<QLineEdit>(name)->text(); }
  Configuration& cfg() { return window->document().cfg; }

  void showTab(int index) {
    ASSERT_TRUE(window->tabs().setCurrentIndex(index));
    QApplication::processEvents();
  }
  // Types after a field's text (Tab selects it all), or over it, key by key.
  void type(const std::string& field, const std::string& keys, bool over = false) {
    auto* edit = find<QLineEdit>(field);
    edit->setFocus(Qt::TabFocusReason);
    over ? edit->selectAll() : edit->end(false);
    QTest::keyClicks(edit, QString::fromLatin1(keys));
  }
  void retype(const std::string& field, const std::string& keys) { type(field, keys, true); }
  // Moves the focus on as the Tab key would and lets the leave-field check run.
  void leaveTo(QWidget* next) {
    next->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
  }
  void click(const std::string& name) {
    auto* button = find<QAbstractButton>(name);
    // Near the left edge: a check box only takes clicks on its box and caption.
    QTest::mouseClick(button, Qt::LeftButton, {},
                      {std::min(8, button->width() / 2), button->height() / 2});
    QApplication::processEvents();
  }

  RecordingPrompter prompter;
  RecordingHooks hooks;
  std::unique_ptr<frmMain> window;
};

}  // namespace kova::test
