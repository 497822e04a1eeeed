// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "window/prompter.h"

class QWidget;

namespace kova {

// The Prompter of the running program: message boxes and file dialogs.
class DialogPrompter : public Prompter {
 public:
  explicit DialogPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void Show(const Message& message) override;
  bool Ask(const Message& question) override;
  SaveChoice AskSave(const Message& question) override;
  bool AskSaveOver(const Message& question) override;
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
  bool ShowDifferences(const std::string& heading,
                       const std::vector<FieldDifference>& differences) override;

 private:
  QWidget* parent_;
};

// "Kova (*.kova)|*.kova|All Files (*.*)|*.*" in the toolkit's own form,
// "Kova (*.kova);;All Files (*)".
QString ToDialogFilter(const std::string& filter);

}  // namespace kova
