// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/dialog_reporter.h"

#include "files/latin1.h"

namespace kova {

std::string DialogReporter::Describe(const Failure& failure, std::string_view procedure) const {
  return "Error " + std::to_string(failure.number()) + " in " + module_ + "." +
         std::string(procedure) + ":\n" +
         // A conversion quotes the field's text, which is Latin-1.
         FromLatin1(failure.description()).toStdString();
}

void DialogReporter::Report(const Failure& failure, std::string_view procedure) {
  prompter_.Show(Message{.text = Describe(failure, procedure), .icon = MessageIcon::Critical});
}

bool DialogReporter::ReportAndAsk(const Failure& failure, std::string_view procedure) {
  return prompter_.Ask(
      Message{.text = Describe(failure, procedure) + "\n\nGo on with the rest of this command?",
              .icon = MessageIcon::Critical});
}

}  // namespace kova
