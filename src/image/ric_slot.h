// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "image/eeprom_image.h"

// A RIC slot is three bytes b, b+1, b+2: the 21-bit RIC little-endian in
// b .. b+2 bits 0..4, and flags in bits 5..7 of b+2, in one of three forms:
//   function slot:             bits 5..7 = function code 0..4 (ALL = 4 sets bit 7 alone)
//   enable slot:               bit 7 = enable, bits 5..6 = 0
//   function-and-enable slot:  bits 5..6 = function code 0..3, bit 7 = enable
namespace kova {

constexpr std::int32_t kMaxRic = 2097151;  // 21 bits

// Masks ric to 21 bits and writes byte b+2 whole, clearing its flags: the
// slot's function and enable are packed after it.
void PutRIC(EEpromImage& image, int index, std::int32_t ric);

}  // namespace kova
