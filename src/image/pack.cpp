#include "image/pack.h"

#include <cmath>
#include <string>

#include "diag/trace.h"
#include "image/bit_array.h"
#include "image/conversions.h"
#include "image/field_names.h"
#include "image/frequency.h"
#include "image/ric_slot.h"
#include "image/verification_code.h"

namespace kova {
namespace {

constexpr std::int32_t kMaxCloseTMax = 327670;
constexpr int kSynthWordBits = 20;  // SynthN (18 bits) shifted left by 2

// Packs one configuration into a working copy of the image and bit array.
// Every conversion names its field when it fails.
class Packer {
 public:
  Packer(const Configuration& cfg, EEpromImage& b, BitArray& bits)
      : cfg_(cfg), b_(b), bits_(bits) {}

  std::string Run();  // returns the clock jog text that packing forces

 private:
  [[noreturn]] void Refuse(FailureCode code, std::string_view control, int zone,
                           const std::string& problem) const {
    throw FieldFailure(code, FieldLabel(control, zone) + ": " + problem,
                       ControlName(control, zone));
  }

  // Runs a conversion, turning its failure into one that names the field.
  template <class Conversion>
  auto Convert(const std::string& text, std::string_view control, int zone,
               Conversion convert) const {
    try {
      return convert(text);
    } catch (const Failure& failure) {
      const bool notNumber = failure.code() == FailureCode::TypeMismatch;
      Refuse(failure.code(), control, zone,
             "'" + text + (notNumber ? "' is not a number" : "' is out of range"));
    }
  }

  std::int32_t Ric(const std::string& text, std::string_view control, int zone = -1) const {
    const std::int32_t ric = Convert(text, control, zone, ToLong);
    if (ric < 0 || ric > kMaxRic) {
      Refuse(FailureCode::Overflow, control, zone, "'" + text + "' is outside 0..2097151");
    }
    return ric;
  }

  int Function(ListIndex index, int count, std::string_view control, int zone = -1) const {
    if (index == kNoSelection) Refuse(FailureCode::Overflow, control, zone, "nothing selected");
    if (index < 0 || index >= count) {
      Refuse(FailureCode::InvalidPropertyValue, control, zone,
             "list index " + std::to_string(index) + " is not one of its items");
    }
    return index;
  }

  std::uint8_t ByteTime(const std::string& text, std::string_view control) const {
    const std::int16_t value = Convert(text, control, -1, ToInteger);
    if (value < 0 || value > 255) {
      Refuse(FailureCode::Overflow, control, -1, "'" + text + "' is outside 0..255");
    }
    return static_cast<std::uint8_t>(value);
  }

  // A slot with RIC, two-bit function and enable (reset, signs, substitutions).
  void FunctionEnableSlot(int slot, const std::string& ric, std::string_view ricControl,
                          ListIndex func, std::string_view funcControl, Check enable) {
    PutRIC(b_, slot, Ric(ric, ricControl));
    PutFunc(b_, slot, Function(func, kTwoBitFunctions, funcControl));
    PutEnable(b_, slot, enable);
  }

  // A RIC range: the function lives with the start, the enable with the end.
  void Range(int start, const std::string& ric1, std::string_view ric1Control, ListIndex func,
             std::string_view funcControl, int end, const std::string& ric2,
             std::string_view ric2Control, Check enable, int zone = -1) {
    PutRIC(b_, start, Ric(ric1, ric1Control, zone));
    PutFunc(b_, start, Function(func, kThreeBitFunctions, funcControl, zone));
    PutRIC(b_, end, Ric(ric2, ric2Control, zone));
    PutEnable(b_, end, enable);
  }

  // Bit i set for each zone whose box is ticked (greyed counts as ticked, and
  // never carries into the next zone's bit).
  template <class Member>
  int ZoneMask(Member member) const {
    int mask = 0;
    for (int i = 0; i < kZoneCount; ++i) {
      if (cfg_.Zones[i].*member != 0) mask |= 1 << i;
    }
    return mask;
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
  int x = 0;
  std::string clkJog = "4";
  if (cfg_.PocsagBaud == PocsagRate::R512) {
    x = 1;
    clkJog = "4";
  }
  if (cfg_.PocsagBaud == PocsagRate::R2400) {
    x = 2;
    clkJog = "1";
  }
  if (cfg_.Polarity == PolarityMode::Inverted) x += 4;
  if (cfg_.BaudKova == kNoSelection)
    Refuse(FailureCode::Overflow, "lstBaudKova", -1, "nothing selected");
  if (cfg_.BaudKova < 0 || cfg_.BaudKova >= static_cast<int>(kBaudRates.size())) {
    Refuse(FailureCode::Overflow, "lstBaudKova", -1,
           "list index " + std::to_string(cfg_.BaudKova) + " is not one of its items");
  }
  x |= cfg_.BaudKova * 8;
  if (cfg_.RlyMode == OutputMode::Timed) x |= 64;
  if (cfg_.SndrMode == OutputMode::Timed) x |= 128;
  b_[addr::kModes] = static_cast<std::uint8_t>(x);
  return clkJog;
}

// Step 2, byte 6. The Orvel code options are stored inverted.
void Packer::PackClock(const std::string& clkJog) {
  int x = Convert(clkJog, "txtClkJog", -1, ToLong) & 15;
  if (cfg_.EnableAlphaCode == 0) x |= 32;
  if (cfg_.EnableNumericCode == 0) x |= 16;
  b_[addr::kClock] = static_cast<std::uint8_t>(x);
}

// Step 8, one zone's 20 bytes.
void Packer::PackZone(int i) {
  const Zone& zone = cfg_.Zones[i];
  const int z = addr::Zone(i);
  Range(z + addr::kCloseStart, zone.CloseRIC1, "txtCloseRIC1", zone.CloseFunc, "lstCloseFunc",
        z + addr::kCloseEnd, zone.CloseRIC2, "txtCloseRIC2", zone.EnableClose, i);

  // TMax in tens of seconds, rounded toward zero, 15 bits; bit 7 of the high byte is TxMonitor.
  const std::int32_t seconds = Convert(zone.CloseTMax, "txtCloseTMax", i, ToLong);
  if (seconds < 0 || seconds > kMaxCloseTMax) {
    Refuse(FailureCode::Overflow, "txtCloseTMax", i,
           "'" + zone.CloseTMax + "' is outside 0..327670");
  }
  int t = seconds / 10;
  b_[z + addr::kCloseTMax] = static_cast<std::uint8_t>(t & 255);
  t /= 256;
  if (zone.TxMonitor != 0) t |= 128;
  b_[z + addr::kCloseTMax + 1] = static_cast<std::uint8_t>(t);

  Range(z + addr::kOpenStart, zone.OpenRIC1, "txtOpenRIC1", zone.OpenFunc, "lstOpenFunc",
        z + addr::kOpenEnd, zone.OpenRIC2, "txtOpenRIC2", zone.EnableOpen, i);
  Range(z + addr::kToggleStart, zone.ToggleRIC1, "txtToggleRIC1", zone.ToggleFunc, "lstToggleFunc",
        z + addr::kToggleEnd, zone.ToggleRIC2, "txtToggleRIC2", zone.EnableToggle, i);
}

// Step 9, byte 232.
void Packer::PackFlags() {
  int x = 0;
  if (cfg_.Polarity == PolarityMode::Auto) x |= 1;
  if (cfg_.SynthRx == 1) x |= 2;
  // The alpha format bit goes with an alpha sequence: with nothing to send, byte 4
  // is 0 and reading shows neither format, so the bit is left clear to match.
  if (cfg_.AlphaVC == 1 && !StripTrailingSpaces(cfg_.VC).empty()) x |= 4;
  if (cfg_.FrmZero == 1) x |= 8;
  if (cfg_.SingleMsg == 1) x |= 16;
  if (cfg_.SpeedLetter == 1) x |= 32;
  b_[addr::kFlags] = static_cast<std::uint8_t>(x);
}

// Step 12, bytes 229..231: bit 0 and bit 20 set, SynthN in bits 2..19, bit 23
// for the 6.25 kHz raster. Packed whether or not the synthesizer is in use.
void Packer::PackSynthWord() {
  if (cfg_.ChanSpace <= 0) Refuse(FailureCode::Overflow, "optChanSpace", -1, "nothing selected");
  if (!(cfg_.Freq >= kSynthBaseHz)) {
    Refuse(FailureCode::Overflow, "txtFreq", -1,
           DisplayFreq(cfg_.Freq) + " MHz is below 45.000 000 MHz");
  }
  const double channels = (cfg_.Freq - kSynthBaseHz) / cfg_.ChanSpace;
  const double quarterChannels = std::nearbyint(channels * 4);
  if (!(quarterChannels < (1 << kSynthWordBits))) {
    Refuse(FailureCode::Overflow, "txtFreq", -1,
           DisplayFreq(cfg_.Freq) + " MHz is beyond the synthesizer's range");
  }
  int x = static_cast<int>(quarterChannels) | 1;
  x |= 1 << 20;
  if (cfg_.ChanSpaceOption == 1) x |= 1 << 23;
  b_[addr::kSynthWord] = static_cast<std::uint8_t>(x % 256);
  x /= 256;
  b_[addr::kSynthWord + 1] = static_cast<std::uint8_t>(x % 256);
  x /= 256;
  b_[addr::kSynthWord + 2] = static_cast<std::uint8_t>(x % 256);
}

// Step 14, the verification sequence and its length in byte 4.
void Packer::PackSequence() {
  b_[addr::kSequenceBits] = 0;
  if (cfg_.NumericVC == 1) {
    if (cfg_.VC.size() > kMaxNumericChars) {
      Refuse(FailureCode::InvalidProcedureCall, "txtVC", -1,
             "'" + cfg_.VC + "' is longer than 20 characters");
    }
    PackNumeric(cfg_.VC, b_);
  }
  if (cfg_.AlphaVC == 1) {
    if (StripTrailingSpaces(cfg_.VC).size() > kMaxAlphaChars) {
      Refuse(FailureCode::SubscriptOutOfRange, "txtVC", -1,
             "'" + cfg_.VC + "' is longer than 11 characters");
    }
    PackCharsIntoBitArray(cfg_.VC, bits_, b_);
    PackBitArrayIntoEEprom(bits_, b_);
  }
}

std::string Packer::Run() {
  const std::string clkJog = PackModes();                                             // 1
  PackClock(clkJog);                                                                  // 2
  FunctionEnableSlot(addr::kResetSlot, cfg_.ResetRIC, "txtResetRIC", cfg_.ResetFunc,  // 3
                     "lstResetFunc", cfg_.ResetEnable);
  b_[addr::kSndrTime] = ByteTime(cfg_.SndrTime, "txtSndrTime");  // 4
  b_[addr::kRepeatFilter] = ByteTime(cfg_.RepeatFilter, "txtRepeatFilter");
  FunctionEnableSlot(addr::kSign1Slot, cfg_.Sign1RIC, "txtSign1RIC", cfg_.Sign1Func,  // 5
                     "lstSign1Func", cfg_.Sign1Enable);
  FunctionEnableSlot(addr::kSign2Slot, cfg_.Sign2RIC, "txtSign2RIC", cfg_.Sign2Func, "lstSign2Func",
                     cfg_.Sign2Enable);
  Range(addr::kAlphaRangeStart, cfg_.RepeatRIC1, "txtRepeatRIC1", cfg_.AlphaRepeatFunc,  // 6
        "lstAlphaRepeatFunc", addr::kAlphaRangeEnd, cfg_.RepeatRIC2, "txtRepeatRIC2",
        cfg_.EnableAlphaRepeat);
  const int sounder = ZoneMask(&Zone::SndrChan);  // 7
  b_[addr::kSounderMask] = static_cast<std::uint8_t>(sounder & 255);
  b_[addr::kSounderMask + 1] = static_cast<std::uint8_t>((sounder / 256) & 3);
  for (int i = 0; i < kZoneCount; ++i)
    PackZone(i);                                                                             // 8
  PackFlags();                                                                               // 9
  Range(addr::kNumericRangeStart, cfg_.RepeatRIC3, "txtRepeatRIC3", cfg_.NumericRepeatFunc,  // 10
        "lstNumericRepeatFunc", addr::kNumericRangeEnd, cfg_.RepeatRIC4, "txtRepeatRIC4",
        cfg_.EnableNumericRepeat);
  FunctionEnableSlot(addr::kAlphaSubSlot, cfg_.AlphaSubRIC, "txtAlphaSubRIC",  // 11
                     cfg_.AlphaSubFunc, "lstAlphaSubFunc", cfg_.EnableAlphaSub);
  FunctionEnableSlot(addr::kNumericSubSlot, cfg_.NumericSubRIC, "txtNumericSubRIC",
                     cfg_.NumericSubFunc, "lstNumericSubFunc", cfg_.EnableNumericSub);
  PackSynthWord();                                            // 12
  b_[addr::kRlyTime] = ByteTime(cfg_.RlyTime, "txtRlyTime");  // 13
  const int relay = ZoneMask(&Zone::RlyChan);
  b_[addr::kRelayMask] = static_cast<std::uint8_t>(relay & 255);
  b_[addr::kRelayMask + 1] = static_cast<std::uint8_t>((relay / 256) & 3);
  PackSequence();  // 14
  return clkJog;
}

}  // namespace

void PackEEprom(Document& doc) {
  EEpromImage image = doc.image;
  BitArray bits = doc.bits;
  const std::string clkJog = Packer(doc.cfg, image, bits).Run();
  doc.image = image;
  doc.bits = bits;
  doc.cfg.ClkJog = clkJog;
  DisplayEEpromBits(doc.image);
}

bool PackEEprom(Document& doc, ErrorReporter& reporter) {
  return RunProcedure(reporter, "PackEEprom", [&] { PackEEprom(doc); });
}

}  // namespace kova
