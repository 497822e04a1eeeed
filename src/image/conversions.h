// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

// The numeric conversions of typed text. Every text of the window, a file or
// the command line that becomes a number goes through these.
//
//   - blanks around the number are ignored;
//   - an optional sign and a fractional part are accepted, and the value is
//     rounded to the nearest whole number, a half to the even one;
//   - "&H" followed by hexadecimal digits is read as hexadecimal;
//   - an empty or non-numeric text fails as a type mismatch (13), a value
//     outside the target's range as an overflow (6).
namespace kova {

std::int32_t ToLong(std::string_view text);
std::int16_t ToInteger(std::string_view text);
std::uint8_t ToByte(std::string_view text);
double ToDouble(std::string_view text);
// "True" / "False" in any case, or a number: non-zero is true.
bool ToBool(std::string_view text);

// Whole-number narrowing with the same overflow failure.
std::uint8_t ToByte(std::int64_t value);

}  // namespace kova
