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

std::int32_t GetRIC(const EEpromImage& image, int index) {
  CheckSlot(index);
  return ((image[index + 2] & 31) * 256 + image[index + 1]) * 256 + image[index];
}

void PutRIC(EEpromImage& image, int index, std::int32_t ric) {
  CheckSlot(index);
  const auto value = static_cast<std::uint32_t>(ric) & static_cast<std::uint32_t>(kMaxRic);
  image[index] = static_cast<std::uint8_t>(value & 255);
  image[index + 1] = static_cast<std::uint8_t>((value >> 8) & 255);
  image[index + 2] = static_cast<std::uint8_t>(value >> 16);
}

std::int16_t GetFunc(const EEpromImage& image, int index, bool twoBit) {
  CheckSlot(index);
  const int func = image[index + 2] >> 5;
  return static_cast<std::int16_t>(twoBit ? func & 3 : func);
}

void PutFunc(EEpromImage& image, int index, int func) {
  CheckSlot(index);
  const int value = (image[index + 2] & 159) | (func * 32);
  if (func < 0 || value > 255) {
    Fail(FailureCode::Overflow, "function code " + std::to_string(func) + " does not fit the slot");
  }
  image[index + 2] = static_cast<std::uint8_t>(value);
}

std::int16_t GetEnable(const EEpromImage& image, int index) {
  CheckSlot(index);
  return (image[index + 2] & 128) ? 1 : 0;
}

void PutEnable(EEpromImage& image, int index, int enable) {
  CheckSlot(index);
  if (enable != 0) {
    image[index + 2] |= 128;
  } else {
    image[index + 2] &= 127;
  }
}

}  // namespace kova
