#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "window/frm_main.h"
#include "window/prompter.h"

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
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
    dialogs.push_back(request);
    return fileAnswer;
  }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
    dialogs.push_back(request);
    return fileAnswer;
  }

  std::vector<Message> shown;
  std::vector<Message> asked;
  std::vector<FileDialogRequest> dialogs;
  bool askAnswer = true;
  SaveChoice saveAnswer = SaveChoice::Cancel;
  std::optional<std::string> fileAnswer;
};

// A started window, shown and active so that the focus moves as for a user.
class WindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A control by its documented object name; fails the test when missing.
  template <class W = QWidget>
  W* find(const std::string& name) {
    auto* widget = window->findChild<W*>(QString::fromStdString(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Brings the tab holding the control to the front.
  void showTab(int index);
  // Types into a field as the user would, key by key, after its text.
  void type(const std::string& field, const std::string& keys);
  // Replaces a field's text by typing over it.
  void retype(const std::string& field, const std::string& keys);
  // Moves the focus to another control as the Tab key would, and lets the
  // leave-field check run.
  void leaveTo(QWidget* next);
  void click(const std::string& name);
  QString text(const std::string& name) { return find<QLineEdit>(name)->text(); }
  Configuration& cfg() { return window->document().cfg; }

  RecordingPrompter prompter;
  std::unique_ptr<frmMain> window;
};

}  // namespace kova::test
