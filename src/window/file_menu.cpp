// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu: which configuration file is current, and the dialogs that
// choose one. The files layer does the reading and writing.
#include <QDir>

#include "image/pack_refusals.h"
#include "window/main_window.h"

namespace kova {
namespace {

constexpr const char* kFilter = "Kova (*.kova)|*.kova|All Files (*.*)|*.*";
constexpr const char* kNotSaved = "The configuration cannot be saved";

FileDialogRequest Dialog(const char* title, const QString& folder, const QString& name) {
  return {title, kFilter, folder.toStdString(), name.toStdString()};
}

std::optional<QString> Chosen(const std::optional<std::string>& path) {
  if (!path || path->empty()) return std::nullopt;
  return QString::fromStdString(*path);
}

}  // namespace

bool MainWindow::ConfirmDiscard() {
  if (!isModified()) return true;
  const Message question{.text =
                             "The configuration has changes that are not saved.\n\n"
                             "Do you want to save them?",
                         .icon = MessageIcon::Warning};
  switch (prompter_.AskSave(question)) {
    case SaveChoice::Save:
      return SaveDocument();
    case SaveChoice::Discard:
      return true;
    case SaveChoice::Cancel:
      break;
  }
  return false;
}

void MainWindow::ShowWarnings(const std::vector<std::string>& warnings) {
  if (warnings.empty()) return;
  std::string text = "The image holds values the window cannot show as they are:";
  for (const auto& warning : warnings)
    text += "\n" + warning;
  prompter_.Show({.text = text, .icon = MessageIcon::Warning});
}

void MainWindow::ShowOutcome(const FileOutcome& outcome) {
  Refresh();
  if (outcome.message) prompter_.Show(*outcome.message);
  ShowWarnings(outcome.warnings);
  if (!outcome.control.empty()) GoToControl(outcome.control);
}

void MainWindow::OnFileNew() {
  if (!ConfirmDiscard()) return;
  Handle("MenuFileNew_Click", [this] { session_.New(doc_); });
}

void MainWindow::OnFileOpen() {
  if (!ConfirmDiscard()) return;
  // Cancel, or a dialog that fails, changes nothing and says nothing.
  const auto path = Chosen(prompter_.ChooseOpenFile(
      Dialog("Open Configuration File", session_.LastPath(), session_.LastFileName())));
  if (path) OpenFile(*path);
}

void MainWindow::OpenFile(const QString& path) {
  RunHandler(reporter_, "MenuFileOpen_Click", [&] {
    const FileOutcome outcome = session_.Open(path, doc_);
    ShowOutcome(outcome);
    if (outcome.done) ShowEmptyFields();
  });
}

void MainWindow::OnFileOpenBackup() {
  if (!ConfirmDiscard()) return;
  QDir().mkpath(backupFolder_);  // the dialog starts there even before the first copy
  const auto path = Chosen(prompter_.ChooseOpenFile(
      Dialog("Open Configuration File", QDir(backupFolder_).absolutePath() + "/", {})));
  if (!path) return;
  RunHandler(reporter_, "MenuFileOpenBackup_Click", [&] {
    const FileSession before = session_;
    const FileOutcome outcome = session_.Open(*path, doc_);
    if (outcome.done) {
      // A copy is not a file to work on: saving into the backups folder would
      // change the record and lose the work to pruning. Save asks where to,
      // starting where the user's own files are.
      session_ = before;
      doc_.cfg.FileName.clear();
      session_.MarkSaved(doc_);
    }
    ShowOutcome(outcome);
    if (outcome.done) ShowEmptyFields();
  });
}

bool MainWindow::SaveDocument() {
  bool saved = false;
  RunHandler(reporter_, "MenuFileSave_Click", [&] {
    if (doc_.cfg.FileName.empty()) {
      saved = SaveDocumentAs();
      return;
    }
    if (!ReadyToPack(kNotSaved)) return;
    FileOutcome outcome = session_.Save(doc_);
    // Another program wrote the file since: saving over it loses what it wrote.
    if (outcome.changedOnDisk) {
      if (!prompter_.AskSaveOver(*outcome.message)) return;
      outcome = session_.Save(doc_, true);
    }
    if (outcome.needsFileName) {
      saved = SaveDocumentAs();
      return;
    }
    saved = outcome.done;
    ShowOutcome(outcome);
  });
  return saved;
}

bool MainWindow::SaveDocumentAs() {
  // Nothing to choose a file for while the configuration cannot be saved.
  // The empty fields it offers to fill stay empty unless a file is chosen.
  const Document before = doc_;
  const auto keep = [&] {
    doc_ = before;
    Refresh();
    return false;
  };
  if (!ReadyToPack(kNotSaved)) return keep();
  const auto path = Chosen(prompter_.ChooseSaveFile(
      Dialog("Save Configuration File", session_.LastPath(), session_.LastFileName())));
  if (!path) return keep();
  bool saved = false;
  RunHandler(reporter_, "MenuFileSaveAs_Click", [&] {
    const FileOutcome outcome = session_.SaveAs(*path, doc_);
    saved = outcome.done;
    ShowOutcome(outcome);
  });
  return saved;
}

void MainWindow::OnFileSave() {
  if (SaveDocument()) ShowStatus("Saved", doc_.cfg.FileName);
}

void MainWindow::OnFileSaveAs() {
  if (SaveDocumentAs()) ShowStatus("Saved", doc_.cfg.FileName);
}

void MainWindow::OnFileExit() {
  close();
}

void MainWindow::ShowEmptyFields() {
  const std::vector<FieldAt> empty = EmptyTexts(doc_.cfg);
  if (empty.empty()) return;
  prompter_.Show({.text = "The file leaves " + std::to_string(empty.size()) +
                          " fields empty: " + DescribeEmptyTexts(empty) +
                          ".\n\nThey must be filled in before the configuration can be saved or "
                          "sent; Save and Put offer to fill them with 0.",
                  .icon = MessageIcon::Information});
}

bool MainWindow::ReadyToPack(std::string_view command) {
  std::vector<FieldFailure> refusals = PackRefusals(doc_);
  if (refusals.empty()) return true;
  const auto listed = [&] {
    const std::size_t n = refusals.size();
    return std::string(command) + ": " + std::to_string(n) +
           (n == 1 ? " field cannot be packed:\n" : " fields cannot be packed:\n") +
           ListRefusals(refusals) + ".";
  };
  if (!EmptyTexts(doc_.cfg).empty()) {
    const Message offer{.text = listed() +
                                "\n\nFill the empty fields with the values a new configuration "
                                "has (0) and go on?",
                        .icon = MessageIcon::Warning};
    if (!prompter_.Ask(offer)) {
      GoToControl(refusals.front().control());
      return false;
    }
    Handle("FillEmptyTexts", [this] { FillEmptyTexts(doc_.cfg); });
    refusals = PackRefusals(doc_);
    if (refusals.empty()) return true;
  }
  prompter_.Show({.text = listed(), .icon = MessageIcon::Warning});
  GoToControl(refusals.front().control());
  return false;
}

}  // namespace kova
