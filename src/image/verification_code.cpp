// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/verification_code.h"

#include <string>

#include "diag/failure.h"
#include "image/bit_array.h"

namespace kova {

std::string StripTrailingSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return std::string(text);
}

void PackCharsIntoBitArray(std::string_view vc, BitArray& bits, EEpromImage& image) {
  const std::string text = StripTrailingSpaces(vc);
  for (std::size_t n = 0; n < text.size(); ++n) {
    const auto code = static_cast<unsigned char>(text[n]);
    for (std::size_t j = 0; j < 7; ++j) {
      const std::size_t element = 7 * n + j;
      if (element >= bits.size()) {
        Fail(FailureCode::SubscriptOutOfRange,
             "the sequence '" + text + "' does not fit the verification area");
      }
      bits[element] = (code >> j) & 1;
    }
  }
  addr::kSequenceBits.Put(image, static_cast<int>(7 * text.size()));
}

std::string UnpackBitArrayIntoChars(const BitArray& bits) {
  std::string text;
  for (int n = 0; n < kMaxAlphaChars; ++n) {
    int code = 0;
    for (int j = 0; j < 7; ++j)
      code += bits[7 * n + j] << j;
    text += static_cast<char>(code);
  }
  return text;
}

std::string ReadAlphaSequence(const EEpromImage& image, BitArray& bits) {
  UnpackEEpromIntoBitArray(image, bits);
  const std::string text = UnpackBitArrayIntoChars(bits);
  return StripTrailingSpaces(text.substr(0, addr::kSequenceBits.Get(image) / 7));
}

int ConvertToNumeric(std::string_view vc, int position) {
  if (position < 1 || static_cast<std::size_t>(position) > vc.size()) return 0;
  const auto code = kNumericTable.find(vc[position - 1]);
  return code == std::string_view::npos ? 0 : static_cast<int>(code);
}

void PackNumeric(std::string_view vc, EEpromImage& image) {
  if (vc.size() > kMaxNumericChars) {
    Fail(FailureCode::InvalidProcedureCall, "the numeric sequence '" + std::string(vc) +
                                                "' is longer than " +
                                                std::to_string(kMaxNumericChars) + " characters");
  }
  int p = 1;
  for (int address : kVerificationArea) {
    const int high = ConvertToNumeric(vc, p++);
    const int low = ConvertToNumeric(vc, p++);
    image[address] = static_cast<std::uint8_t>(high * 16 + low);
  }
  addr::kSequenceBits.Put(image, static_cast<int>(4 * vc.size()));
}

std::string UnpackNumeric(const EEpromImage& image) {
  std::string text;
  for (int address : kVerificationArea) {
    text += kNumericTable[image[address] >> 4];
    text += kNumericTable[image[address] & 15];
  }
  return text.substr(0, addr::kSequenceBits.Get(image) / 4);
}

}  // namespace kova
