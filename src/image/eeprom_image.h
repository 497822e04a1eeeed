#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kova {

// The unit's 256-byte configuration EEPROM. Multi-byte numbers are little-endian.
using EEpromImage = std::array<std::uint8_t, 256>;

// 85 elements of 0 or 1; elements 0..79 mirror the 80-bit verification area.
using BitArray = std::array<std::int16_t, 85>;

// Addresses of the image's fields.
namespace addr {
constexpr int kElapsedMinutes = 0;  // bytes 1..3: hours
constexpr int kSequenceBits = 4;
constexpr int kModes = 5;
constexpr int kClock = 6;
constexpr int kResetSlot = 10;
constexpr int kSign1Slot = 13;
constexpr int kSign2Slot = 16;
constexpr int kSndrTime = 19;
constexpr int kAlphaRangeStart = 20;
constexpr int kAlphaRangeEnd = 23;
constexpr int kRepeatFilter = 26;
constexpr int kSounderMask = 27;  // and 28
constexpr int kFirstZone = 29;
constexpr int kZoneSize = 20;
constexpr int kSynthWord = 229;  // 229..231
constexpr int kFlags = 232;
constexpr int kNumericRangeStart = 233;
constexpr int kNumericRangeEnd = 236;
constexpr int kAlphaSubSlot = 239;
constexpr int kNumericSubSlot = 242;
constexpr int kRlyTime = 245;
constexpr int kRelayMask = 246;  // and 247

// Offsets inside a zone's 20 bytes.
constexpr int kCloseStart = 0;
constexpr int kCloseEnd = 3;
constexpr int kCloseTMax = 6;  // and 7; bit 7 of byte 7 is TxMonitor
constexpr int kOpenStart = 8;
constexpr int kOpenEnd = 11;
constexpr int kToggleStart = 14;
constexpr int kToggleEnd = 17;

constexpr int Zone(int index) {
  return kFirstZone + kZoneSize * index;
}
}  // namespace addr

// A byte as two upper-case hexadecimal digits ("0A").
std::string Hex2(int value);

}  // namespace kova
