// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/bit_array.h"

#include "diag/failure.h"
#include "diag/trace.h"

namespace kova {

void UnpackEEpromIntoBitArray(const EEpromImage& image, BitArray& bits) {
  int k = 0;
  for (int address : kVerificationArea) {
    for (int j = 0; j < 8; ++j)
      bits[k++] = (image[address] & (128 >> j)) ? 1 : 0;
  }
  DisplayEEpromBits(image);
  DisplayBits(bits);
}

void PackBitArrayIntoEEprom(const BitArray& bits, EEpromImage& image) {
  int k = 0;
  for (int address : kVerificationArea) {
    int byte = 0;
    for (int j = 0; j < 8; ++j, ++k) {
      if (bits[k] != 0 && bits[k] != 1) {
        Fail(FailureCode::Overflow, "bit array element " + std::to_string(k) + " is not 0 or 1");
      }
      byte = byte * 2 + bits[k];
    }
    image[address] = static_cast<std::uint8_t>(byte);
  }
}

}  // namespace kova
