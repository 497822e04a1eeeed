// SPDX-License-Identifier: GPL-3.0-or-later
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

// A run of bits: the byte it starts in, its first bit there and its width. A
// run wider than the rest of its byte goes on into the next bytes, low byte
// first. A zone's runs count their byte from the zone's start (At moves them).
// Which field a run holds is said by the field table's row that points at it.
struct Bits {
  int byte = 0;
  int first = 0;
  int width = 0;

  constexpr Bits At(int base) const { return {base + byte, first, width}; }
  constexpr int Bytes() const { return (first + width + 7) / 8; }
  constexpr std::uint32_t Mask() const {
    return width >= 32 ? ~0U : ((std::uint32_t{1} << width) - 1) << first;
  }
  constexpr bool Holds(const Bits& run) const {
    const int start = 8 * byte + first;
    const int from = 8 * run.byte + run.first;
    return from >= start && from + run.width <= start + width;
  }
  constexpr bool operator==(const Bits&) const = default;

  int Get(const EEpromImage& image) const {
    return static_cast<int>((Word(image) & Mask()) >> first);
  }
  // Writes the value's low width bits; the other bits of those bytes stay.
  void Put(EEpromImage& image, int value) const {
    const std::uint32_t word =
        (Word(image) & ~Mask()) | ((static_cast<std::uint32_t>(value) << first) & Mask());
    for (int i = 0; i < Bytes(); ++i)
      image.at(static_cast<std::size_t>(byte + i)) = static_cast<std::uint8_t>(word >> (8 * i));
  }

 private:
  std::uint32_t Word(const EEpromImage& image) const {
    std::uint32_t word = 0;
    for (int i = 0; i < Bytes(); ++i)
      word |= std::uint32_t{image.at(static_cast<std::size_t>(byte + i))} << (8 * i);
    return word;
  }
};

// A RIC slot's three bytes (ric_slot.h): the RIC in the low 21 bits, the
// function in bits 5..6 (or 5..7) of its last byte, the enable in bit 7.
constexpr Bits Slot(int byte) {
  return {byte, 0, 24};
}
constexpr Bits SlotRic(int byte) {
  return {byte, 0, 21};
}
constexpr Bits SlotFunction(int byte, int width) {
  return {byte + 2, 5, width};
}
constexpr Bits SlotEnable(int byte) {
  return {byte + 2, 7, 1};
}

constexpr Bits kElapsedMinutes{0, 0, 8};
constexpr Bits kElapsedHours{1, 0, 24};
constexpr Bits kSequenceBits{4, 0, 8};

// Byte 5, the modes, written whole. The hunting bit is also the low bit of the unit's rate.
constexpr Bits kModes{5, 0, 8};
constexpr Bits kRate512{5, 0, 1};
constexpr Bits kRate2400{5, 1, 1};
constexpr Bits kInverted{5, 2, 1};
constexpr Bits kHunting{5, 3, 1};
constexpr Bits kUnitRate{5, 3, 3};
constexpr Bits kRelayTimed{5, 6, 1};
constexpr Bits kSounderTimed{5, 7, 1};

// Byte 6, written whole: the clock jog, and the Orvel options stored inverted.
constexpr Bits kClock{6, 0, 8};
constexpr Bits kClockJog{6, 0, 4};
constexpr Bits kNumericCodeOff{6, 4, 1};
constexpr Bits kAlphaCodeOff{6, 5, 1};

constexpr Bits kSequenceLow{7, 0, 24};
constexpr int kResetSlot = 10;
constexpr int kSign1Slot = 13;
constexpr int kSign2Slot = 16;
constexpr Bits kSndrTime{19, 0, 8};
constexpr int kAlphaRangeStart = 20;
constexpr int kAlphaRangeEnd = 23;
constexpr Bits kRepeatFilter{26, 0, 8};
constexpr Bits kSounderChannels{27, 0, 10};
constexpr int kFirstZone = 29;
constexpr int kZoneSize = 20;

// Bytes 229..231, written whole: bits 0 and 20 always set.
constexpr Bits kSynthWord{229, 0, 24};
constexpr Bits kSynthLowOne{229, 0, 1};
constexpr Bits kSynthN{229, 2, 18};
constexpr Bits kSynthHighOne{231, 4, 1};
constexpr Bits kRaster6250{231, 7, 1};

// Byte 232, the flags, written whole.
constexpr Bits kFlags{232, 0, 8};
constexpr Bits kAutoPolarity{232, 0, 1};
constexpr Bits kSynthRx{232, 1, 1};
constexpr Bits kAlphaFormat{232, 2, 1};
constexpr Bits kFrmZero{232, 3, 1};
constexpr Bits kSingleMsg{232, 4, 1};
constexpr Bits kSpeedLetter{232, 5, 1};

constexpr int kNumericRangeStart = 233;
constexpr int kNumericRangeEnd = 236;
constexpr int kAlphaSubSlot = 239;
constexpr int kNumericSubSlot = 242;
constexpr Bits kRlyTime{245, 0, 8};
constexpr Bits kRelayChannels{246, 0, 10};
constexpr Bits kSequenceHigh{248, 0, 56};
constexpr Bits kLastByte{255, 0, 8};

// Inside a zone's 20 bytes.
constexpr int kCloseStart = 0;
constexpr int kCloseEnd = 3;
constexpr Bits kCloseTMax{6, 0, 15};
constexpr Bits kTxMonitor{7, 7, 1};
constexpr int kOpenStart = 8;
constexpr int kOpenEnd = 11;
constexpr int kToggleStart = 14;
constexpr int kToggleEnd = 17;

// The first byte of zone `index` (0..9).
constexpr int ZoneStart(int index) {
  return kFirstZone + kZoneSize * index;
}

// A channel mask: bit i for zone i. The six bits above the ten zones are
// written 0 and never read.
inline int GetChannels(const EEpromImage& image, Bits mask) {
  return mask.Get(image);
}
inline void PutChannels(EEpromImage& image, Bits mask, int zones) {
  Bits{mask.byte, 0, 16}.Put(image, zones & ((1 << mask.width) - 1));
}

// Every run of the image but the zones', in byte order: a run declared here
// and held by no field is a fault the field table's tests report.
constexpr Bits kByteMap[] = {
    kElapsedMinutes,
    kElapsedHours,
    kSequenceBits,
    kRate512,
    kRate2400,
    kInverted,
    kHunting,
    kUnitRate,
    kRelayTimed,
    kSounderTimed,
    kClockJog,
    kNumericCodeOff,
    kAlphaCodeOff,
    kSequenceLow,
    Slot(kResetSlot),
    Slot(kSign1Slot),
    Slot(kSign2Slot),
    kSndrTime,
    Slot(kAlphaRangeStart),
    Slot(kAlphaRangeEnd),
    kRepeatFilter,
    kSounderChannels,
    kSynthLowOne,
    kSynthN,
    kSynthHighOne,
    kRaster6250,
    kAutoPolarity,
    kSynthRx,
    kAlphaFormat,
    kFrmZero,
    kSingleMsg,
    kSpeedLetter,
    Slot(kNumericRangeStart),
    Slot(kNumericRangeEnd),
    Slot(kAlphaSubSlot),
    Slot(kNumericSubSlot),
    kRlyTime,
    kRelayChannels,
    kSequenceHigh,
    kLastByte,
};

// A zone's runs, bytes counted from its start.
constexpr Bits kZoneByteMap[] = {
    Slot(kCloseStart), Slot(kCloseEnd), kCloseTMax,         kTxMonitor,
    Slot(kOpenStart),  Slot(kOpenEnd),  Slot(kToggleStart), Slot(kToggleEnd),
};

}  // namespace addr

// A byte as two upper-case hexadecimal digits ("0A").
std::string Hex2(int value);

}  // namespace kova
