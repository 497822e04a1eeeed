// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/conversions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "diag/failure.h"

namespace kova {
namespace {

[[noreturn]] void TypeMismatch(std::string_view text) {
  Fail(FailureCode::TypeMismatch, "Type mismatch: '" + std::string(text) + "' is not a number");
}

[[noreturn]] void Overflow(std::string_view text) {
  Fail(FailureCode::Overflow, "Overflow: '" + std::string(text) + "' is out of range");
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool StartsWithHexPrefix(std::string_view text) {
  return text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h');
}

// "&H" and up to 16 hex digits; the value is never negative.
double ParseHex(std::string_view whole, std::string_view digits) {
  if (digits.empty()) TypeMismatch(whole);
  std::uint64_t value = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) TypeMismatch(whole);
    if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) Overflow(whole);
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return static_cast<double>(value);
}

// Optional sign, digits, optional point and fraction; at least one digit.
double ParseDecimal(std::string_view whole, std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int digits = 0;
  int points = 0;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      ++digits;
    } else if (c == '.' && points == 0) {
      ++points;
    } else {
      TypeMismatch(whole);
    }
  }
  if (digits == 0) TypeMismatch(whole);
  // from_chars wants a digit before the point.
  const std::string number = (text.front() == '.' ? "0" : "") + std::string(text);
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) Overflow(whole);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) TypeMismatch(whole);
  return negative ? -value : value;
}

double Parse(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty()) TypeMismatch(text);
  if (StartsWithHexPrefix(trimmed)) return ParseHex(text, trimmed.substr(2));
  return ParseDecimal(text, trimmed);
}

// Rounds half to even and checks the range of the target type.
template <class Int>
Int ToWhole(std::string_view text) {
  const double rounded = std::nearbyint(Parse(text));
  if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    Overflow(text);
  }
  return static_cast<Int>(rounded);
}

}  // namespace

std::int32_t ToLong(std::string_view text) {
  return ToWhole<std::int32_t>(text);
}
std::int16_t ToInteger(std::string_view text) {
  return ToWhole<std::int16_t>(text);
}
std::uint8_t ToByte(std::string_view text) {
  return ToWhole<std::uint8_t>(text);
}

double ToDouble(std::string_view text) {
  const double value = Parse(text);
  if (!std::isfinite(value)) Overflow(text);
  return value;
}

bool ToBool(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  const auto equals = [&](std::string_view word) {
    if (trimmed.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(trimmed[i])) != word[i]) return false;
    }
    return true;
  };
  if (equals("true")) return true;
  if (equals("false")) return false;
  return Parse(text) != 0;
}

std::uint8_t ToByte(std::int64_t value) {
  if (value < 0 || value > 255) Overflow(std::to_string(value));
  return static_cast<std::uint8_t>(value);
}

}  // namespace kova
