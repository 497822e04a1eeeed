// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pack.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
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

constexpr int kSynthWordBits = 20;  // SynthN (18 bits) shifted left by 2
constexpr int kLastPackStep = 14;

using C = Configuration;

// Packs one configuration into a working copy of the image and bit array.
// The rows of the field table run at their steps; what no row can say runs
// by hand at its own step. Every conversion names its field when it fails.
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

  // A text's number, which must lie in the row's range.
  template <class Conversion>
  std::int32_t InRange(const Field& field, int zone, Conversion convert) const {
    const std::string text = GetText(cfg_, field, zone);
    const std::int32_t value = Convert(text, field, zone, convert);
    if (value < field.range->min || value > field.range->max) {
      Refuse(FailureCode::Overflow, field, zone,
             "'" + text + "' is outside " + std::to_string(static_cast<long>(field.range->min)) +
                 ".." + std::to_string(static_cast<long>(field.range->max)));
    }
    return value;
  }

  // The selected item of a list, which must be one of its items.
  int Selected(const Field& field, int zone) const {
    const int index = static_cast<int>(GetNumber(cfg_, field, zone));
    if (index == kNoSelection) Refuse(FailureCode::Overflow, field, zone, "nothing selected");
    if (index < 0 || index >= static_cast<int>(field.items.size())) {
      Refuse(FailureCode::InvalidPropertyValue, field, zone,
             "list index " + std::to_string(index) + " is not one of its items");
    }
    return index;
  }

  int Encode(const Field& field, int zone) const;
  void Write(const Field& field, int zone, int value);
  void PackRows(const std::vector<const Field*>& rows, int zone);
  void PackStep(int step);

  std::string PackModes();
  void PackClock(const std::string& clkJog);
  void PackFlags();
  void PackSynthWord();
  void PackSequence();

  const Configuration& cfg_;
  EEpromImage& b_;
  BitArray& bits_;
};

// The value a row's bits get.
int Packer::Encode(const Field& field, int zone) const {
  switch (field.codec) {
    case Codec::Flag:
      return GetNumber(cfg_, field, zone) == 1;
    case Codec::AnyFlag:
      return GetNumber(cfg_, field, zone) != 0;
    case Codec::InvertedFlag:
      return GetNumber(cfg_, field, zone) == 0;
    case Codec::OptionBit:
      return GetNumber(cfg_, field, zone) == field.items.front().value;
    case Codec::Byte:
      return InRange(field, zone, ToInteger);
    case Codec::Item:
      return Selected(field, zone);
    case Codec::Ric:
      return InRange(field, zone, ToLong);
    case Codec::TenSeconds:
      return InRange(field, zone, ToLong) / field.step;  // toward zero
    case Codec::ZoneBit: {
      // Greyed counts as ticked, and never carries into the next zone's bit.
      int zones = 0;
      for (int i = 0; i < kZoneCount; ++i) {
        if (GetNumber(cfg_, field, i) != 0) zones |= 1 << i;
      }
      return zones;
    }
    case Codec::None:
      break;
  }
  throw std::logic_error("field " + std::string(field.key) + " has no codec to pack");
}

void Packer::Write(const Field& field, int zone, int value) {
  if (field.codec == Codec::ZoneBit) return addr::PutChannels(b_, field.bits, value);
  const addr::Bits bits = field.zoned() ? field.bits.At(addr::ZoneStart(zone)) : field.bits;
  // A RIC writes its slot's last byte whole, clearing the flags that follow.
  if (field.codec == Codec::Ric) return PutRIC(b_, bits.byte, value);
  bits.Put(b_, value);
}

// Every value of the step is converted before any is written, so refusals
// come in the order of the table; a slot's RIC goes first, as it clears the
// slot's flags.
void Packer::PackRows(const std::vector<const Field*>& rows, int zone) {
  std::vector<int> values;
  for (const Field* field : rows)
    values.push_back(Encode(*field, field->codec == Codec::ZoneBit ? -1 : zone));
  for (const bool ric : {true, false}) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if ((rows[i]->codec == Codec::Ric) == ric) Write(*rows[i], zone, values[i]);
    }
  }
}

// A step with zone fields runs zone after zone.
void Packer::PackStep(int step) {
  const std::vector<const Field*> rows = RowsAtStep(step, false);
  const bool perZone = std::any_of(rows.begin(), rows.end(), [](const Field* field) {
    return field->zoned() && field->codec != Codec::ZoneBit;
  });
  if (!perZone) return PackRows(rows, -1);
  for (int i = 0; i < kZoneCount; ++i)
    PackRows(rows, i);
}

// Step 1, byte 5, by hand for the two rate bits and the polarity; the rest
// are rows. The clock jog is forced from the POCSAG rate, whatever was typed.
std::string Packer::PackModes() {
  std::string clkJog = "4";
  if (cfg_.PocsagBaud == PocsagRate::R2400) clkJog = "1";
  addr::kModes.Put(b_, 0);
  addr::kRate512.Put(b_, cfg_.PocsagBaud == PocsagRate::R512);
  addr::kRate2400.Put(b_, cfg_.PocsagBaud == PocsagRate::R2400);
  addr::kInverted.Put(b_, cfg_.Polarity == PolarityMode::Inverted);
  return clkJog;
}

// Step 2, byte 6: the forced jog by hand.
void Packer::PackClock(const std::string& clkJog) {
  addr::kClock.Put(b_, 0);
  addr::kClockJog.Put(b_, Convert(clkJog, FieldOf(&C::ClkJog), -1, ToLong));
}

// Step 9, byte 232: the polarity and the sequence format by hand.
void Packer::PackFlags() {
  addr::kFlags.Put(b_, 0);
  addr::kAutoPolarity.Put(b_, cfg_.Polarity == PolarityMode::Auto);
  // The alpha format bit goes with an alpha sequence: with nothing to send, byte 4
  // is 0 and reading shows neither format, so the bit is left clear to match.
  addr::kAlphaFormat.Put(b_, cfg_.AlphaVC == 1 && !StripTrailingSpaces(cfg_.VC).empty());
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
      Refuse(
          FailureCode::InvalidProcedureCall, vc, -1,
          "'" + cfg_.VC + "' is longer than " + std::to_string(kMaxNumericChars) + " characters");
    }
    PackNumeric(cfg_.VC, b_);
  }
  if (cfg_.AlphaVC == 1) {
    if (StripTrailingSpaces(cfg_.VC).size() > kMaxAlphaChars) {
      Refuse(FailureCode::SubscriptOutOfRange, vc, -1,
             "'" + cfg_.VC + "' is longer than " + std::to_string(kMaxAlphaChars) + " characters");
    }
    PackCharsIntoBitArray(cfg_.VC, bits_, b_);
    PackBitArrayIntoEEprom(bits_, b_);
  }
}

std::string Packer::Run() {
  std::string clkJog;
  for (int step = 1; step <= kLastPackStep; ++step) {
    // The steps that are not only rows: their own bits first (a byte written
    // whole is cleared there), then the step's rows.
    switch (step) {
      case 1:
        clkJog = PackModes();
        break;
      case 2:
        PackClock(clkJog);
        break;
      case 9:
        PackFlags();
        break;
      case 12:
        PackSynthWord();
        break;
      case 14:
        PackSequence();
        break;
      default:
        break;
    }
    PackStep(step);
  }
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
