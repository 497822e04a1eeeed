// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "diag/error_reporter.h"
#include "window/prompter.h"

namespace kova {

// The main window's object name, which error reports give as their module.
inline constexpr char kMainFormName[] = "frmMain";

// Unexpected failures of the window's procedures, shown to the user: what
// failed and where. Report only tells; ReportAndAsk lets the user choose
// between going on with the next step and stopping the command.
class DialogReporter : public ErrorReporter {
 public:
  explicit DialogReporter(Prompter& prompter, std::string module = kMainFormName)
      : prompter_(prompter), module_(std::move(module)) {}

  void Report(const Failure& failure, std::string_view procedure) override;
  bool ReportAndAsk(const Failure& failure, std::string_view procedure) override;

  // The box's text: "Error 13 in frmMain.RICinvalid:" and the failure's description.
  std::string Describe(const Failure& failure, std::string_view procedure) const;

 private:
  Prompter& prompter_;
  std::string module_;
};

}  // namespace kova
