// SPDX-License-Identifier: GPL-3.0-or-later
// How a failed assertion shows the program's own types.
#pragma once

#include <ostream>

#include "diag/message.h"

namespace kova {

inline void PrintTo(const Message& m, std::ostream* out) {
  *out << m.title << ": " << m.text;
}

}  // namespace kova
