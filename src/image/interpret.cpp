// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/interpret.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "image/field_table.h"
#include "image/frequency.h"
#include "image/ric_slot.h"
#include "image/value_rules.h"
#include "image/verification_code.h"

namespace kova {
namespace {

constexpr int kLastReadStep = 24;

// Reads the image into the configuration: the rows of the field table at
// their steps, and by hand what no row can say.
class Reader {
 public:
  Reader(Document& doc) : b_(doc.image), cfg_(doc.cfg), bits_(doc.bits) {}

  std::vector<std::string> Run();

 private:
  bool Bit(addr::Bits bits) const { return bits.Get(b_) != 0; }

  void Decode(const Field& field, int zone);
  void ReadStep(int step);

  void ReadElapsedTime();
  void ReadSynthesizer();
  void ReadSequence();

  const EEpromImage& b_;
  Configuration& cfg_;
  BitArray& bits_;
  std::vector<std::string> warnings_;
};

void Reader::Decode(const Field& field, int zone) {
  const addr::Bits bits = field.zoned() && field.codec != Codec::ZoneBit
                              ? field.bits.At(addr::ZoneStart(zone))
                              : field.bits;
  const int value = bits.Get(b_);
  switch (field.codec) {
    case Codec::Flag:
    case Codec::AnyFlag:
      return SetNumber(cfg_, field, zone, value != 0);
    case Codec::InvertedFlag:
      return SetNumber(cfg_, field, zone, value == 0);
    case Codec::OptionBit:
      return SetNumber(cfg_, field, zone, field.items[value != 0 ? 0 : 1].value);
    case Codec::Byte:
    case Codec::Ric:
      return SetText(cfg_, field, zone, std::to_string(value));
    case Codec::TenSeconds:
      return SetText(cfg_, field, zone, std::to_string(value * field.step));
    case Codec::Item: {
      const int last = static_cast<int>(field.items.size()) - 1;
      if (value <= last) return SetNumber(cfg_, field, zone, value);
      warnings_.push_back(FieldLabel(field, zone) + ": the image holds function code " +
                          std::to_string(value) + ", shown as " + field.items.back().text);
      return SetNumber(cfg_, field, zone, last);
    }
    case Codec::ZoneBit:  // only the ten zones' bits count
      return SetNumber(cfg_, field, zone, (addr::GetChannels(b_, bits) >> zone) & 1);
    case Codec::None:
      break;
  }
  throw std::logic_error("field " + std::string(field.key) + " has no codec to read");
}

// A step with zone fields runs zone after zone.
void Reader::ReadStep(int step) {
  const std::vector<const Field*> rows = RowsAtStep(step, true);
  const auto mask = [](const Field* field) { return field->codec == Codec::ZoneBit; };
  const bool perZone = std::any_of(
      rows.begin(), rows.end(), [&](const Field* field) { return field->zoned() && !mask(field); });
  for (int i = 0; i < (perZone ? kZoneCount : 1); ++i) {
    for (const Field* field : rows) {
      if (!mask(field)) {
        Decode(*field, perZone ? i : -1);
      } else if (!perZone) {
        for (int zone = 0; zone < kZoneCount; ++zone)
          Decode(*field, zone);
      }
    }
  }
}

// Step 1: hours ":" two-digit minutes, "1234:05".
void Reader::ReadElapsedTime() {
  const long hours = addr::kElapsedHours.Get(b_);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02d", hours, addr::kElapsedMinutes.Get(b_));
  cfg_.ETI = text;
}

// Steps 18 and 19. Selecting the spacing runs its rule (which realigns the old
// frequency); the frequency read from the word then replaces it.
void Reader::ReadSynthesizer() {
  cfg_.ChanSpace = Bit(addr::kRaster6250) ? kChanSpaceTable[1] : kChanSpaceTable[0];
  SelectChanSpace(cfg_, cfg_.ChanSpace == kChanSpaceTable[0] ? 0 : 1);
  cfg_.SynthN = addr::kSynthN.Get(b_);
  cfg_.Freq = static_cast<double>(cfg_.SynthN) * cfg_.ChanSpace + kSynthBaseHz;
}

// Steps 21 to 23. The format boxes go through their rules, so the other box is
// unticked; with no length in byte 4 neither format is ticked and the text stays.
void Reader::ReadSequence() {
  if (Bit(addr::kAlphaFormat)) {
    SetNumericVC(cfg_, 0);
    SetAlphaVC(cfg_, 1);
  } else {
    SetNumericVC(cfg_, 1);
    SetAlphaVC(cfg_, 0);
  }
  if (addr::kSequenceBits.Get(b_) == 0) {
    SetNumericVC(cfg_, 0);
    SetAlphaVC(cfg_, 0);
  }
  if (cfg_.NumericVC == 1) cfg_.VC = UnpackNumeric(b_);
  if (cfg_.AlphaVC == 1) cfg_.VC = ReadAlphaSequence(b_, bits_);
}

std::vector<std::string> Reader::Run() {
  for (int step = 1; step <= kLastReadStep; ++step) {
    switch (step) {
      case 1:
        ReadElapsedTime();
        break;
      case 2:
        if (Bit(addr::kAutoPolarity)) {
          cfg_.Polarity = PolarityMode::Auto;
        } else {
          cfg_.Polarity = Bit(addr::kInverted) ? PolarityMode::Inverted : PolarityMode::Normal;
        }
        break;
      case 3:  // its click rule presets the clock jog that step 5 replaces
        SelectPocsagBaud(cfg_, Bit(addr::kRate512)    ? PocsagRate::R512
                               : Bit(addr::kRate2400) ? PocsagRate::R2400
                                                      : PocsagRate::R1200);
        break;
      case 5:
        cfg_.ClkJog = std::to_string(addr::kClockJog.Get(b_));
        break;
      case 18:
        ReadSynthesizer();
        break;
      case 21:
        ReadSequence();
        break;
      default:
        break;
    }
    ReadStep(step);
  }
  return warnings_;
}

}  // namespace

std::vector<std::string> InterpretEEprom(Document& doc) {
  return Reader(doc).Run();
}

}  // namespace kova
