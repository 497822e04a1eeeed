// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/profile_reader.h"

#include <cctype>

#include "diag/failure.h"
#include "files/latin1.h"
#include "image/conversions.h"
#include "image/interpret.h"

namespace kova {
namespace {

constexpr std::string_view kLegacyCaption = "Kova Pro Configuration 1.";
constexpr std::size_t kContentsDigits = 2 * std::tuple_size_v<EEpromImage>;

bool IsHexDigit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

bool ProfileReader::IsLegacyCaption(std::string_view caption) {
  return caption.starts_with(kLegacyCaption);
}

void ProfileReader::Refuse(std::string_view section, std::string_view key,
                           std::string problem) const {
  throw KeyFailure{std::string(section), std::string(key), std::move(problem)};
}

std::string ProfileReader::Text(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  return ProfileValue(ini_, section, key, fallback);
}

int ProfileReader::Integer(std::string_view section, std::string_view key,
                           std::string_view fallback) const {
  const std::string value = Text(section, key, fallback);
  try {
    return ToInteger(value);
  } catch (const Failure& failure) {
    Refuse(section, key,
           QuoteValue(value) + (failure.code() == FailureCode::Overflow
                                    ? " is outside the range of a 16-bit number"
                                    : " is not a number"));
  }
}

bool ProfileReader::Boolean(std::string_view section, std::string_view key,
                            std::string_view fallback) const {
  const std::string value = Text(section, key, fallback);
  try {
    return ToBool(value);
  } catch (const Failure&) {
    Refuse(section, key, QuoteValue(value) + " is not True, False or a number");
  }
}

double ProfileReader::Number(std::string_view section, std::string_view key,
                             std::string_view fallback) const {
  const std::string value = Text(section, key, fallback);
  try {
    return ToDouble(value);
  } catch (const Failure&) {
    Refuse(section, key, QuoteValue(value) + " is not a number");
  }
}

// A list takes -1 (nothing selected) or one of its items.
int ProfileReader::ListIndex(std::string_view section, std::string_view key,
                             std::string_view fallback, int items) const {
  const int index = Integer(section, key, fallback);
  if (index < kNoSelection || index >= items) {
    Refuse(section, key,
           std::to_string(index) + " is not an item of its list (0 to " +
               std::to_string(items - 1) + ")");
  }
  return index;
}

int ProfileReader::CheckValue(std::string_view section, std::string_view key,
                              std::string_view fallback) const {
  const int value = Integer(section, key, fallback);
  if (value < 0 || value > 2) {
    Refuse(section, key, std::to_string(value) + " is not a check box value (0, 1 or 2)");
  }
  return value;
}

// Steps 4 to 6: 512 hexadecimal digits, byte 0 first; anything after them is ignored.
void ProfileReader::ReadImage() {
  const auto found = ini_.Find("EEprom", "Contents");
  if (!found) Refuse("EEprom", "Contents", "the key is missing");
  const std::string contents = Text("EEprom", "Contents", "");
  EEpromImage image{};
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (contents.size() < 2 * i + 2) {
      Refuse("EEprom", "Contents",
             "the value holds " + std::to_string(contents.size()) + " characters, not " +
                 std::to_string(kContentsDigits) + " hexadecimal digits (byte " +
                 std::to_string(i) + " is missing)");
    }
    const std::string pair = contents.substr(2 * i, 2);
    if (!IsHexDigit(pair[0]) || !IsHexDigit(pair[1])) {
      Refuse(
          "EEprom", "Contents",
          "byte " + std::to_string(i) + " is " + QuoteValue(pair) + ", not two hexadecimal digits");
    }
    image[i] = ToByte("&H" + pair);
  }
  doc_.image = image;
}

std::vector<std::string> ProfileReader::Run() {
  Configuration& cfg = doc_.cfg;
  cfg.Ver[0] = Text("Version", "Kova", "");  // 1
  cfg.Ver[1] = Text("Version", "Compiled", "");
  cfg.Ver[2] = Text("Version", "EEprom", "");
  cfg.ComPort = ListIndex("Comms", "Port", "0", 16);  // 2
  cfg.BaudPC = ListIndex("Comms", "PC Baud Rate", "4", static_cast<int>(kBaudRates.size()));
  if (IsLegacyCaption(Text("Version", "Kova Pro", ""))) {  // 3
    ReadLegacy();
    return {};
  }
  ReadImage();                   // 4, 5
  return InterpretEEprom(doc_);  // 6
}

}  // namespace kova
