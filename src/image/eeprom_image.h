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
// Field and meaning are what the byte map shows.
struct Bits {
  int byte;
  int first;
  int width;
  const char* field = "";
  const char* meaning = "";

  constexpr Bits At(int base) const { return {base + byte, first, width, field, meaning}; }
  constexpr int Bytes() const { return (first + width + 7) / 8; }
  constexpr std::uint32_t Mask() const {
    return width >= 32 ? ~0U : ((std::uint32_t{1} << width) - 1) << first;
  }

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

constexpr Bits kElapsedMinutes{0, 0, 8, "ETI", "running time: minutes of the hour; never written"};
constexpr Bits kElapsedHours{1, 0, 24, "ETI", "running time: hours; never written"};
constexpr Bits kSequenceBits{4, 0, 8, "VC",
                             "length of the sequence in bits (7 per alpha, 4 per numeric "
                             "character); 0 for none"};

// Byte 5, the modes, written whole. The hunting bit is also the low bit of the unit's rate.
constexpr Bits kModes{5, 0, 8};
constexpr Bits kRate512{5, 0, 1, "PocsagBaud", "1: 512 baud (read before bit 1)"};
constexpr Bits kRate2400{5, 1, 1, "PocsagBaud", "1: 2400 baud; neither bit: 1200"};
constexpr Bits kInverted{5, 2, 1, "Polarity", "1: inverted (unless byte 232 bit 0)"};
constexpr Bits kHunting{5, 3, 1, "Hunting", "1: on; read only, packing writes the rate here"};
constexpr Bits kUnitRate{5, 3, 3, "BaudKova", "the unit's serial rate, a kBaudRates index"};
constexpr Bits kRelayTimed{5, 6, 1, "RlyMode", "1: timed, 0: fixed"};
constexpr Bits kSounderTimed{5, 7, 1, "SndrMode", "1: timed, 0: fixed"};

// Byte 6, written whole: the clock jog, and the Orvel options stored inverted.
constexpr Bits kClock{6, 0, 8};
constexpr Bits kClockJog{6, 0, 4, "ClkJog", "clock jog, forced from the POCSAG rate"};
constexpr Bits kNumericCodeOff{6, 4, 1, "EnableNumericCode", "1: numeric Orvel protocol off"};
constexpr Bits kAlphaCodeOff{6, 5, 1, "EnableAlphaCode", "1: alpha Orvel protocol off"};

constexpr int kResetSlot = 10;
constexpr int kSign1Slot = 13;
constexpr int kSign2Slot = 16;
constexpr Bits kSndrTime{19, 0, 8, "SndrTime", "sounder time, seconds (0: latched)"};
constexpr int kAlphaRangeStart = 20;
constexpr int kAlphaRangeEnd = 23;
constexpr Bits kRepeatFilter{26, 0, 8, "RepeatFilter", "repeated toggle filter, seconds"};
constexpr Bits kSounderChannels{27, 0, 10, "SndrChan", "bit i: zone i drives the sounder"};
constexpr int kFirstZone = 29;
constexpr int kZoneSize = 20;

// Bytes 229..231, written whole: bits 0 and 20 always set.
constexpr Bits kSynthWord{229, 0, 24};
constexpr Bits kSynthN{229, 2, 18, "SynthN, Freq",
                       "synthesizer divider: Freq = 45 MHz + SynthN x ChanSpace"};
constexpr Bits kRaster6250{231, 7, 1, "ChanSpace", "1: 6.25 kHz raster, 0: 5 kHz"};

// Byte 232, the flags, written whole.
constexpr Bits kFlags{232, 0, 8};
constexpr Bits kAutoPolarity{232, 0, 1, "Polarity", "1: automatic polarity"};
constexpr Bits kSynthRx{232, 1, 1, "SynthRx", "1: synthesized receiver in use"};
constexpr Bits kAlphaFormat{232, 2, 1, "AlphaVC, NumericVC",
                            "1: alpha sequence, 0: numeric (with a length in byte 4)"};
constexpr Bits kFrmZero{232, 3, 1, "FrmZero", "1: frame zero messages only"};
constexpr Bits kSingleMsg{232, 4, 1, "SingleMsg", "1: first message of a batch only"};
constexpr Bits kSpeedLetter{232, 5, 1, "SpeedLetter", "1: rate letter in the Orvel output"};

constexpr int kNumericRangeStart = 233;
constexpr int kNumericRangeEnd = 236;
constexpr int kAlphaSubSlot = 239;
constexpr int kNumericSubSlot = 242;
constexpr Bits kRlyTime{245, 0, 8, "RlyTime", "common relay time, seconds (0: latched)"};
constexpr Bits kRelayChannels{246, 0, 10, "RlyChan", "bit i: zone i drives the common relay"};

// Inside a zone's 20 bytes.
constexpr int kCloseStart = 0;
constexpr int kCloseEnd = 3;
constexpr Bits kCloseTMax{6, 0, 15, "CloseTMax", "TMax in tens of seconds"};
constexpr Bits kTxMonitor{7, 7, 1, "TxMonitor", "1: the zone monitors test calls"};
constexpr int kOpenStart = 8;
constexpr int kOpenEnd = 11;
constexpr int kToggleStart = 14;
constexpr int kToggleEnd = 17;

constexpr int Zone(int index) {
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

// A RIC slot's three bytes, for the byte map (ric_slot.h reads and writes them).
constexpr Bits Slot(int byte, const char* field, const char* form) {
  return {byte, 0, 24, field, form};
}

// Every run of the image in byte order but the zones': the byte map in docs/
// is this table followed by the next.
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
    {7, 0, 24, "VC", "verification area, bits 0..23 (continues in byte 248)"},
    Slot(kResetSlot, "ResetRIC, ResetFunc, ResetEnable", "function-and-enable slot"),
    Slot(kSign1Slot, "Sign1RIC, Sign1Func, Sign1Enable", "function-and-enable slot"),
    Slot(kSign2Slot, "Sign2RIC, Sign2Func, Sign2Enable", "function-and-enable slot"),
    kSndrTime,
    Slot(kAlphaRangeStart, "RepeatRIC1, AlphaRepeatFunc", "function slot"),
    Slot(kAlphaRangeEnd, "RepeatRIC2, EnableAlphaRepeat", "enable slot"),
    kRepeatFilter,
    kSounderChannels,
    {kSynthWord.byte, 0, 1, "-", "always 1"},
    kSynthN,
    {kSynthWord.byte, 20, 1, "-", "always 1"},
    kRaster6250,
    kAutoPolarity,
    kSynthRx,
    kAlphaFormat,
    kFrmZero,
    kSingleMsg,
    kSpeedLetter,
    Slot(kNumericRangeStart, "RepeatRIC3, NumericRepeatFunc", "function slot"),
    Slot(kNumericRangeEnd, "RepeatRIC4, EnableNumericRepeat", "enable slot"),
    Slot(kAlphaSubSlot, "AlphaSubRIC, AlphaSubFunc, EnableAlphaSub", "function-and-enable slot"),
    Slot(kNumericSubSlot, "NumericSubRIC, NumericSubFunc, EnableNumericSub",
         "function-and-enable slot"),
    kRlyTime,
    kRelayChannels,
    {248, 0, 56, "VC", "verification area, bits 24..79"},
    {255, 0, 8, "-", "never written"},
};

// A zone's runs, bytes counted from its start: zone i starts at byte Zone(i).
constexpr Bits kZoneByteMap[] = {
    Slot(kCloseStart, "CloseRIC1, CloseFunc", "zone: function slot"),
    Slot(kCloseEnd, "CloseRIC2, EnableClose", "zone: enable slot"),
    kCloseTMax,
    kTxMonitor,
    Slot(kOpenStart, "OpenRIC1, OpenFunc", "zone: function slot"),
    Slot(kOpenEnd, "OpenRIC2, EnableOpen", "zone: enable slot"),
    Slot(kToggleStart, "ToggleRIC1, ToggleFunc", "zone: function slot"),
    Slot(kToggleEnd, "ToggleRIC2, EnableToggle", "zone: enable slot"),
};

}  // namespace addr

// A byte as two upper-case hexadecimal digits ("0A").
std::string Hex2(int value);

}  // namespace kova
