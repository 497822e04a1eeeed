// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "diag/program_identity.h"

namespace kova {

// An expected condition to show the user in a modal box with an OK button
// ("Communications Error", an invalid RIC, a file that cannot be read). The
// layer that detects it builds the message; the window shows it, the command
// line prints it.
enum class MessageIcon { None, Information, Warning, Critical };

struct Message {
  std::string title = kProgramTitle;
  std::string text;
  MessageIcon icon = MessageIcon::None;
  // More for whoever wants it, behind the message box's "Show Details...".
  std::string details{};

  bool operator==(const Message&) const = default;
};

}  // namespace kova
