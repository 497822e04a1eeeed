// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "image/eeprom_image.h"

// The verification sequence in the 80-bit area, with its length in bits in byte 4.
//   alpha:   up to 11 characters of 7 bits, each least significant bit first,
//            character n in bit array elements 7n .. 7n+6;
//   numeric: up to 20 characters of 4 bits, two to a byte, the earlier one in
//            the high nibble, coded by their position in kNumericTable.
namespace kova {

// The POCSAG numeric character set, each 4-bit code written in reverse bit order.
constexpr std::string_view kNumericTable = "084 2A6]195-3U7[";
constexpr int kMaxAlphaChars = 11;
constexpr int kMaxNumericChars = 20;

std::string StripTrailingSpaces(std::string_view text);

// Sets elements 7n + j for each character of vc (trailing spaces left out);
// elements past the text keep what they held. Byte 4 = 7 x the characters.
// A thirteenth character runs past the bit array: subscript out of range.
void PackCharsIntoBitArray(std::string_view vc, BitArray& bits, EEpromImage& image);
// Eleven characters from elements 0..76.
std::string UnpackBitArrayIntoChars(const BitArray& bits);
// The verification area and byte 4 as the alpha text that the window shows.
std::string ReadAlphaSequence(const EEpromImage& image, BitArray& bits);

// Code of the character at the 1-based position; 0 past the end or for a
// character outside the table.
int ConvertToNumeric(std::string_view vc, int position);
// Writes the whole area and byte 4. Over 20 characters: invalid procedure
// call, nothing written.
void PackNumeric(std::string_view vc, EEpromImage& image);
std::string UnpackNumeric(const EEpromImage& image);

}  // namespace kova
