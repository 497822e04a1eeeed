// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "image/eeprom_image.h"

// The 80-bit verification area, bytes 7, 8, 9, 248 .. 254 in that order, each
// byte most significant bit first: element 8 * m + j is bit 7 - j of the m-th
// byte of the area.
namespace kova {

constexpr std::array<int, 10> kVerificationArea{7, 8, 9, 248, 249, 250, 251, 252, 253, 254};
constexpr int kVerificationBits = 80;

void UnpackEEpromIntoBitArray(const EEpromImage& image, BitArray& bits);
void PackBitArrayIntoEEprom(const BitArray& bits, EEpromImage& image);

}  // namespace kova
