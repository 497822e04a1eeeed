// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/configuration.h"
#include "image/eeprom_image.h"

namespace kova {

// What the window owns and a file or a unit fills: the configuration, the
// image it was read from or packed into, and the bit array that carries the
// alpha verification sequence between the two.
struct Document {
  Configuration cfg;
  EEpromImage image{};
  BitArray bits{};
};

}  // namespace kova
