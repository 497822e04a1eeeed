// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/ric_slot.h"

#include <string>

#include "diag/failure.h"

namespace kova {
namespace {

void CheckSlot(int index) {
  if (index < 0 || index > 253) {
    Fail(FailureCode::SubscriptOutOfRange,
         "RIC slot " + std::to_string(index) + " is outside the image");
  }
}

}  // namespace

std::string Hex2(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 15], kDigits[value & 15]};
}

void PutRIC(EEpromImage& image, int index, std::int32_t ric) {
  CheckSlot(index);
  const auto value = static_cast<std::uint32_t>(ric) & static_cast<std::uint32_t>(kMaxRic);
  image[index] = static_cast<std::uint8_t>(value & 255);
  image[index + 1] = static_cast<std::uint8_t>((value >> 8) & 255);
  image[index + 2] = static_cast<std::uint8_t>(value >> 16);
}

}  // namespace kova
