// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

#include "image/eeprom_image.h"

namespace kova::sim {

class EEpromFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A freshly cleared configuration as the unit would hold it: the form after
// start-up, packed, at 9600 bit/s.
EEpromImage FactoryEEprom();

// Reads a file of exactly 256 bytes.
EEpromImage LoadEEprom(const std::string& path);
// Writes the 256 bytes through a temporary file, so that the file is never
// left half written.
void SaveEEprom(const std::string& path, const EEpromImage& image);

}  // namespace kova::sim
