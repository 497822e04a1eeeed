// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <mutex>

#include "files/profile.h"
#include "files/user_settings.h"
#include "image/field_names.h"
#include "printers.h"
#include "test_files.h"
#include "window/main_window.h"
#include "window/prompter.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"

// Failures show texts, not their bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace kova::test {

constexpr int kOptionsTab = 15;

// Answers every question (yes or no, save, the file dialogs) as told and remembers
// what was shown and asked.
class RecordingPrompter : public Prompter {
 public:
  void Show(const Message& message) override {
    shown.push_back(message);
    if (whileShown) whileShown();
  }
  bool Ask(const Message& question) override {
    asked.push_back(question);
    return askAnswer;
  }
  SaveChoice AskSave(const Message& question) override {
    asked.push_back(question);
    return saveAnswer;
  }
  bool AskSaveOver(const Message& question) override { return Ask(question); }
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
    opened.push_back(request);
    return openPath;
  }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
    saved.push_back(request);
    return savePath;
  }
  bool ShowDifferences(const std::string& heading,
                       const std::vector<FieldDifference>& differences) override {
    compared.emplace_back(heading, differences);
    return askAnswer;  // load the unit's values
  }

  std::vector<Message> shown, asked;
  std::vector<FileDialogRequest> opened, saved;  // the dialogs shown
  bool askAnswer = true;
  SaveChoice saveAnswer = SaveChoice::Cancel;
  std::optional<std::string> openPath, savePath;  // nothing: the user cancels
  std::function<void()> whileShown;               // looks at the window behind a message
  std::vector<std::pair<std::string, std::vector<FieldDifference>>> compared;
};

// A started window, shown and active so that the focus moves as for a user,
// over settings, port mapping and backups of its own in a temporary folder;
// ports 1 and 2 name the test computer's devices. Operations reach no unit:
// `unit` answers them on the worker's thread, and `probe` answers Find.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Start();
  }
  void TearDown() override {
    if (window) waitIdle();
  }

  // A run of the program: a new window over the settings the last one left,
  // or over a settings file of the given text.
  void Start(const char* ini = nullptr) {
    if (window) window->close();
    window.reset();
    settings.reset();
    ASSERT_TRUE(!ini || Put(path("settings.ini"), ini));
    settings = std::make_unique<SettingsStore>(path("settings.ini"));
    const auto runner = [this](const OperationRequest& request, const ProgressSink& progress) {
      std::lock_guard lock(requestsMutex);
      requests.push_back(request);
      return unit(request, progress);
    };
    window = std::make_unique<MainWindow>(WindowContext{
        .prompter = prompter,
        .settings = *settings,
        .ports = ports,
        .backupFolder = path("backups"),
        .programFolder = dir.path(),
        .runner = runner,
        .devices =
            [] {
              return std::vector<SerialDevice>{{"/dev/ttyS0", "", false},
                                               {"/dev/ttyUSB0", "FT232R USB UART", true}};
            },
        .probe = [this](const auto&... arguments) { return probe(arguments...); }});
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  QString path(const QString& name) const { return dir.filePath(name); }
  std::string file(const char* name) const { return path(name).toStdString(); }
  // A control by its documented object name.
  template <class W = QWidget>
  W* find(const std::string& name) {
    auto* widget = window->findChild<W*>(QString::fromStdString(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString text(const std::string& name) { return find<QLineEdit>(name)->text(); }
  Configuration& cfg() { return window->document().cfg; }
  std::vector<std::string> shownTexts() const {
    std::vector<std::string> texts;
    for (const Message& message : prompter.shown)
      texts.push_back(message.text);
    return texts;
  }
  void showTab(int index) {
    ASSERT_TRUE(window->tabs().setCurrentIndex(index));
    QApplication::processEvents();
  }
  // Types over a field's text key by key, as after the Tab key selected it all.
  void type(const std::string& field, const std::string& keys) {
    auto* edit = find<QLineEdit>(field);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(keys));
  }
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
  // Lets a running operation end and its result arrive; run starts it first.
  void waitIdle() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window->isBusy(); }, 20000));
  }
  void run(void (MainWindow::*command)()) {
    (window.get()->*command)();
    waitIdle();
  }
  std::size_t requestCount() {
    std::lock_guard lock(requestsMutex);
    return requests.size();
  }

  QTemporaryDir dir;
  std::unique_ptr<SettingsStore> settings;
  QSettings ports{dir.filePath("ports.ini"), QSettings::IniFormat};
  RecordingPrompter prompter;
  // Answers every operation at once with the reply, or with a success in which a
  // Get reads back the form as it was.
  std::optional<OperationResult> reply;
  OperationWorker::Runner unit = [this](const OperationRequest& request, const ProgressSink&) {
    OperationResult result = reply.value_or(OperationResult());
    result.kind = request.kind;
    if (!reply) {
      result.succeeded = true;
      if (request.kind == Operation::Get) result.document = request.document;
    }
    return result;
  };
  decltype(WindowContext::probe) probe;
  std::mutex requestsMutex;
  std::vector<OperationRequest> requests;
  std::unique_ptr<MainWindow> window;
};

}  // namespace kova::test
