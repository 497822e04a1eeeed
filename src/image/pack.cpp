// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pack.h"

#include <cmath>
#include <string>

#include "diag/trace.h"
#include "image/bit_array.h"
#include "image/conversions.h"
#include "image/field_names.h"
#include "image/field_table.h"
#include "image/frequency.h"
#include "image/ric_slot.h"
#include "image/verification_code.h"

namespace kova {
namespace {

constexpr std::int32_t kMaxCloseTMax = 327670;
constexpr int kSynthWordBits = 20;  // SynthN (18 bits) shifted left by 2

using C = Configuration;

// Packs one configuration into a working copy of the image and bit array.
// Every conversion names its field when it fails.
class Packer {
 public:
  Packer(const Configuration& cfg, EEpromImage& b, BitArray& bits)
      : cfg_(cfg), b_(b), bits_(bits) {}

  std::string Run();  // returns the clock jog text that packing forces

 private:
  [[noreturn]] void Refuse(FailureCode code, const Field& field, int zone,
                           const std::string& problem) const {
    throw FieldFailure(code, FieldLabel(field, zone) + ": " + problem, ControlName(field, zone));
  }

  // Runs a conversion, turning its failure into one that names the field.
  template <class Conversion>
  auto Convert(const std::string& text, const Field& field, int zone, Conversion convert) const {
    try {
      return convert(text);
    } catch (const Failure& failure) {
      const bool notNumber = failure.code() == FailureCode::TypeMismatch;
      Refuse(failure.code(), field, zone,
             "'" + text + (notNumber ? "' is not a number" : "' is out of range"));
    }
  }

  std::int32_t Ric(const FieldMember& member, int zone = -1) const {
    const Field& field = FieldOf(member);
    const std::string text = GetText(cfg_, field, zone);
    const std::int32_t ric = Convert(text, field, zone, ToLong);
    if (ric < 0 || ric > kMaxRic) {
      Refuse(FailureCode::Overflow, field, zone, "'" + text + "' is outside 0..2097151");
    }
    return ric;
  }

  // The selected item of a list, which must be one of its items.
  int Selected(const FieldMember& member, int zone = -1,
               FailureCode notAnItem = FailureCode::InvalidPropertyValue) const {
    const Field& field = FieldOf(member);
    const int index = static_cast<int>(GetNumber(cfg_, field, zone));
    if (index == kNoSelection) Refuse(FailureCode::Overflow, field, zone, "nothing selected");
    if (index < 0 || index >= static_cast<int>(field.items.size())) {
      Refuse(notAnItem, field, zone,
             "list index " + std::to_string(index) + " is not one of its items");
    }
    return index;
  }

  std::uint8_t ByteTime(const FieldMember& member) const {
    const Field& field = FieldOf(member);
    const std::string text = GetText(cfg_, field, -1);
    const std::int16_t value = Convert(text, field, -1, ToInteger);
    if (value < 0 || value > 255) {
      Refuse(FailureCode::Overflow, field, -1, "'" + text + "' is outside 0..255");
    }
    return static_cast<std::uint8_t>(value);
  }

  // A slot with RIC, two-bit function and enable (reset, signs, substitutions).
  void FunctionEnableSlot(int slot, std::string C::*ric, ListIndex C::*func, Check enable) {
    PutRIC(b_, slot, Ric(ric));
    PutFunc(b_, slot, Selected(func));
    PutEnable(b_, slot, enable);
  }

  // A RIC range: the function lives with the start, the enable with the end.
  template <class Record>
  void Range(int start, std::string Record::*ric1, ListIndex Record::*func, int end,
             std::string Record::*ric2, Check enable, int zone = -1) {
    PutRIC(b_, start, Ric(ric1, zone));
    PutFunc(b_, start, Selected(func, zone));
    PutRIC(b_, end, Ric(ric2, zone));
    PutEnable(b_, end, enable);
  }

  // Bit i set for each zone whose box is ticked (greyed counts as ticked, and
  // never carries into the next zone's bit).
  void PackChannels(addr::Bits mask, Check Zone::*member) {
    int zones = 0;
    for (int i = 0; i < kZoneCount; ++i) {
      if (cfg_.Zones[i].*member != 0) zones |= 1 << i;
    }
    addr::PutChannels(b_, mask, zones);
  }

  std::string PackModes();
  void PackClock(const std::string& clkJog);
  void PackZone(int i);
  void PackFlags();
  void PackSynthWord();
  void PackSequence();

  const Configuration& cfg_;
  EEpromImage& b_;
  BitArray& bits_;
};

// Step 1, byte 5. The clock jog is forced from the POCSAG rate, whatever was typed.
std::string Packer::PackModes() {
  std::string clkJog = "4";
  if (cfg_.PocsagBaud == PocsagRate::R2400) clkJog = "1";
  const int unitRate = Selected(&C::BaudKova, -1, FailureCode::Overflow);
  addr::kModes.Put(b_, 0);
  addr::kRate512.Put(b_, cfg_.PocsagBaud == PocsagRate::R512);
  addr::kRate2400.Put(b_, cfg_.PocsagBaud == PocsagRate::R2400);
  addr::kInverted.Put(b_, cfg_.Polarity == PolarityMode::Inverted);
  addr::kUnitRate.Put(b_, unitRate);
  addr::kRelayTimed.Put(b_, cfg_.RlyMode == OutputMode::Timed);
  addr::kSounderTimed.Put(b_, cfg_.SndrMode == OutputMode::Timed);
  return clkJog;
}

// Step 2, byte 6. The Orvel code options are stored inverted.
void Packer::PackClock(const std::string& clkJog) {
  addr::kClock.Put(b_, 0);
  addr::kClockJog.Put(b_, Convert(clkJog, FieldOf(&C::ClkJog), -1, ToLong));
  addr::kAlphaCodeOff.Put(b_, cfg_.EnableAlphaCode == 0);
  addr::kNumericCodeOff.Put(b_, cfg_.EnableNumericCode == 0);
}

// Step 8, one zone's 20 bytes.
void Packer::PackZone(int i) {
  const Zone& zone = cfg_.Zones[i];
  const int z = addr::Zone(i);
  Range(z + addr::kCloseStart, &Zone::CloseRIC1, &Zone::CloseFunc, z + addr::kCloseEnd,
        &Zone::CloseRIC2, zone.EnableClose, i);

  // TMax in tens of seconds, rounded toward zero.
  const Field& tmax = FieldOf(&Zone::CloseTMax);
  const std::int32_t seconds = Convert(zone.CloseTMax, tmax, i, ToLong);
  if (seconds < 0 || seconds > kMaxCloseTMax) {
    Refuse(FailureCode::Overflow, tmax, i, "'" + zone.CloseTMax + "' is outside 0..327670");
  }
  addr::kCloseTMax.At(z).Put(b_, seconds / 10);
  addr::kTxMonitor.At(z).Put(b_, zone.TxMonitor != 0);

  Range(z + addr::kOpenStart, &Zone::OpenRIC1, &Zone::OpenFunc, z + addr::kOpenEnd, &Zone::OpenRIC2,
        zone.EnableOpen, i);
  Range(z + addr::kToggleStart, &Zone::ToggleRIC1, &Zone::ToggleFunc, z + addr::kToggleEnd,
        &Zone::ToggleRIC2, zone.EnableToggle, i);
}

// Step 9, byte 232.
void Packer::PackFlags() {
  addr::kFlags.Put(b_, 0);
  addr::kAutoPolarity.Put(b_, cfg_.Polarity == PolarityMode::Auto);
  addr::kSynthRx.Put(b_, cfg_.SynthRx == 1);
  // The alpha format bit goes with an alpha sequence: with nothing to send, byte 4
  // is 0 and reading shows neither format, so the bit is left clear to match.
  addr::kAlphaFormat.Put(b_, cfg_.AlphaVC == 1 && !StripTrailingSpaces(cfg_.VC).empty());
  addr::kFrmZero.Put(b_, cfg_.FrmZero == 1);
  addr::kSingleMsg.Put(b_, cfg_.SingleMsg == 1);
  addr::kSpeedLetter.Put(b_, cfg_.SpeedLetter == 1);
}

// Step 12, bytes 229..231: bit 0 and bit 20 set, SynthN in bits 2..19, bit 23
// for the 6.25 kHz raster. Packed whether or not the synthesizer is in use.
void Packer::PackSynthWord() {
  if (cfg_.ChanSpace <= 0)
    Refuse(FailureCode::Overflow, FieldOf(&C::ChanSpace), -1, "nothing selected");
  const Field& freq = FieldOf(&C::Freq);
  if (!(cfg_.Freq >= kSynthBaseHz)) {
    Refuse(FailureCode::Overflow, freq, -1,
           DisplayFreq(cfg_.Freq) + " MHz is below 45.000 000 MHz");
  }
  const double channels = (cfg_.Freq - kSynthBaseHz) / cfg_.ChanSpace;
  const double quarterChannels = std::nearbyint(channels * 4);
  if (!(quarterChannels < (1 << kSynthWordBits))) {
    Refuse(FailureCode::Overflow, freq, -1,
           DisplayFreq(cfg_.Freq) + " MHz is beyond the synthesizer's range");
  }
  addr::kSynthWord.Put(b_, static_cast<int>(quarterChannels) | 1 | 1 << 20);
  addr::kRaster6250.Put(b_, cfg_.ChanSpaceOption == 1);
}

// Step 14, the verification sequence and its length in byte 4.
void Packer::PackSequence() {
  addr::kSequenceBits.Put(b_, 0);
  const Field& vc = FieldOf(&C::VC);
  if (cfg_.NumericVC == 1) {
    if (cfg_.VC.size() > kMaxNumericChars) {
      Refuse(FailureCode::InvalidProcedureCall, vc, -1,
             "'" + cfg_.VC + "' is longer than 20 characters");
    }
    PackNumeric(cfg_.VC, b_);
  }
  if (cfg_.AlphaVC == 1) {
    if (StripTrailingSpaces(cfg_.VC).size() > kMaxAlphaChars) {
      Refuse(FailureCode::SubscriptOutOfRange, vc, -1,
             "'" + cfg_.VC + "' is longer than 11 characters");
    }
    PackCharsIntoBitArray(cfg_.VC, bits_, b_);
    PackBitArrayIntoEEprom(bits_, b_);
  }
}

std::string Packer::Run() {
  const std::string clkJog = PackModes();                                               // 1
  PackClock(clkJog);                                                                    // 2
  FunctionEnableSlot(addr::kResetSlot, &C::ResetRIC, &C::ResetFunc, cfg_.ResetEnable);  // 3
  addr::kSndrTime.Put(b_, ByteTime(&C::SndrTime));                                      // 4
  addr::kRepeatFilter.Put(b_, ByteTime(&C::RepeatFilter));
  FunctionEnableSlot(addr::kSign1Slot, &C::Sign1RIC, &C::Sign1Func, cfg_.Sign1Enable);  // 5
  FunctionEnableSlot(addr::kSign2Slot, &C::Sign2RIC, &C::Sign2Func, cfg_.Sign2Enable);
  Range(addr::kAlphaRangeStart, &C::RepeatRIC1, &C::AlphaRepeatFunc, addr::kAlphaRangeEnd,  // 6
        &C::RepeatRIC2, cfg_.EnableAlphaRepeat);
  PackChannels(addr::kSounderChannels, &Zone::SndrChan);  // 7
  for (int i = 0; i < kZoneCount; ++i)
    PackZone(i);                                                          // 8
  PackFlags();                                                            // 9
  Range(addr::kNumericRangeStart, &C::RepeatRIC3, &C::NumericRepeatFunc,  // 10
        addr::kNumericRangeEnd, &C::RepeatRIC4, cfg_.EnableNumericRepeat);
  FunctionEnableSlot(addr::kAlphaSubSlot, &C::AlphaSubRIC, &C::AlphaSubFunc,  // 11
                     cfg_.EnableAlphaSub);
  FunctionEnableSlot(addr::kNumericSubSlot, &C::NumericSubRIC, &C::NumericSubFunc,
                     cfg_.EnableNumericSub);
  PackSynthWord();                                // 12
  addr::kRlyTime.Put(b_, ByteTime(&C::RlyTime));  // 13
  PackChannels(addr::kRelayChannels, &Zone::RlyChan);
  PackSequence();  // 14
  return clkJog;
}

}  // namespace

void PackWithoutTrace(Document& doc) {
  EEpromImage image = doc.image;
  BitArray bits = doc.bits;
  const std::string clkJog = Packer(doc.cfg, image, bits).Run();
  doc.image = image;
  doc.bits = bits;
  doc.cfg.ClkJog = clkJog;
}

void PackEEprom(Document& doc) {
  PackWithoutTrace(doc);
  DisplayEEpromBits(doc.image);
}

bool PackEEprom(Document& doc, ErrorReporter& reporter) {
  return RunProcedure(reporter, "PackEEprom", [&] { PackEEprom(doc); });
}

}  // namespace kova
