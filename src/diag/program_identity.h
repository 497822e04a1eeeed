// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kova {

// The program's name and release. The name is also the per-user settings'
// application name and the default title of message boxes.
inline constexpr const char* kProgramTitle = "Kova Pro Configuration";
inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 0;

// "Kova Pro Configuration 3.1": the window's title, and what a saved file
// records as the program that wrote it.
inline std::string ProgramCaption() {
  return std::string(kProgramTitle) + " " + std::to_string(kVersionMajor) + "." +
         std::to_string(kVersionMinor);
}

}  // namespace kova
