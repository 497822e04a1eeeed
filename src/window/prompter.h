// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "image/field_differences.h"

// Everything modal the window asks of the user goes through here, so that a
// test can answer instead of a person and nothing ever blocks it. Texts and
// paths are UTF-8.
namespace kova {

enum class SaveChoice { Save, Discard, Cancel };

// A file dialog: the filter is given as description|pattern pairs
// ("Kova (*.kova)|*.kova|All Files (*.*)|*.*").
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string folder;
  std::string name;

  bool operator==(const FileDialogRequest&) const = default;
};

class Prompter {
 public:
  virtual ~Prompter() = default;

  // A message box with an OK button.
  virtual void Show(const Message& message) = 0;
  // A Yes/No question: true for Yes.
  virtual bool Ask(const Message& question) = 0;
  // Unsaved changes: keep them, drop them, or stay where we are.
  virtual SaveChoice AskSave(const Message& question) = 0;
  // A Save / Cancel question: true for Save. One that cannot ask cancels, so
  // that what another program wrote is never lost unasked.
  virtual bool AskSaveOver(const Message&) { return false; }
  // The chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
  // Asks before replacing an existing file.
  virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
  // Compare with Unit: the fields that differ between the form and the unit,
  // under the heading. True when the user chose to load the unit's values.
  virtual bool ShowDifferences(const std::string& heading,
                               const std::vector<FieldDifference>& differences) = 0;
};

}  // namespace kova
