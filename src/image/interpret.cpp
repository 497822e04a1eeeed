// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/interpret.h"

#include <cstdio>

#include "image/field_table.h"
#include "image/frequency.h"
#include "image/ric_slot.h"
#include "image/value_rules.h"
#include "image/verification_code.h"

namespace kova {
namespace {

class Reader {
 public:
  Reader(Document& doc) : b_(doc.image), cfg_(doc.cfg), bits_(doc.bits) {}

  std::vector<std::string> Run();

 private:
  bool Bit(addr::Bits bits) const { return bits.Get(b_) != 0; }
  std::string Decimal(addr::Bits bits) const { return std::to_string(bits.Get(b_)); }
  std::string Ric(int slot) const { return std::to_string(GetRIC(b_, slot)); }

  ListIndex ThreeBitFunction(int slot, const FieldMember& member, int zone = -1) {
    const int code = GetFunc(b_, slot, false);
    if (code < kThreeBitFunctions) return code;
    warnings_.push_back(FieldLabel(FieldOf(member), zone) + ": the image holds function code " +
                        std::to_string(code) + ", shown as ALL");
    return kThreeBitFunctions - 1;
  }

  void FunctionEnableSlot(int slot, Check& enable, std::string& ric, ListIndex& func) {
    enable = GetEnable(b_, slot);
    ric = Ric(slot);
    func = GetFunc(b_, slot, true);
  }

  // Only the ten zones' bits count.
  void ReadChannels(addr::Bits mask, Check Zone::*member) {
    const int zones = addr::GetChannels(b_, mask);
    for (int i = 0; i < kZoneCount; ++i)
      cfg_.Zones[i].*member = (zones >> i) & 1;
  }

  void ReadElapsedTime();
  void ReadZone(int i);
  void ReadSynthesizer();
  void ReadSequence();

  const EEpromImage& b_;
  Configuration& cfg_;
  BitArray& bits_;
  std::vector<std::string> warnings_;
};

// Step 1: hours ":" two-digit minutes, "1234:05".
void Reader::ReadElapsedTime() {
  const long hours = addr::kElapsedHours.Get(b_);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02d", hours, addr::kElapsedMinutes.Get(b_));
  cfg_.ETI = text;
}

// Step 14, one zone's 20 bytes.
void Reader::ReadZone(int i) {
  Zone& zone = cfg_.Zones[i];
  const int z = addr::Zone(i);
  zone.CloseRIC1 = Ric(z + addr::kCloseStart);
  zone.CloseFunc = ThreeBitFunction(z + addr::kCloseStart, &Zone::CloseFunc, i);
  zone.CloseRIC2 = Ric(z + addr::kCloseEnd);
  zone.EnableClose = GetEnable(b_, z + addr::kCloseEnd);
  zone.TxMonitor = Bit(addr::kTxMonitor.At(z)) ? 1 : 0;
  zone.CloseTMax = std::to_string(addr::kCloseTMax.At(z).Get(b_) * 10);
  zone.OpenRIC1 = Ric(z + addr::kOpenStart);
  zone.OpenFunc = ThreeBitFunction(z + addr::kOpenStart, &Zone::OpenFunc, i);
  zone.OpenRIC2 = Ric(z + addr::kOpenEnd);
  zone.EnableOpen = GetEnable(b_, z + addr::kOpenEnd);
  zone.ToggleRIC1 = Ric(z + addr::kToggleStart);
  zone.ToggleFunc = ThreeBitFunction(z + addr::kToggleStart, &Zone::ToggleFunc, i);
  zone.ToggleRIC2 = Ric(z + addr::kToggleEnd);
  zone.EnableToggle = GetEnable(b_, z + addr::kToggleEnd);
}

// Steps 17 to 19. Selecting the spacing runs its rule (which realigns the old
// frequency); the frequency read from the word then replaces it.
void Reader::ReadSynthesizer() {
  cfg_.SynthRx = Bit(addr::kSynthRx) ? 1 : 0;
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
  ReadElapsedTime();               // 1
  if (Bit(addr::kAutoPolarity)) {  // 2
    cfg_.Polarity = PolarityMode::Auto;
  } else {
    cfg_.Polarity = Bit(addr::kInverted) ? PolarityMode::Inverted : PolarityMode::Normal;
  }
  SelectPocsagBaud(cfg_, Bit(addr::kRate512)    ? PocsagRate::R512  // 3
                         : Bit(addr::kRate2400) ? PocsagRate::R2400
                                                : PocsagRate::R1200);
  cfg_.Hunting = Bit(addr::kHunting) ? HuntingMode::On : HuntingMode::Off;  // 4
  cfg_.ClkJog = Decimal(addr::kClockJog);                                   // 5
  cfg_.EnableAlphaCode = Bit(addr::kAlphaCodeOff) ? 0 : 1;                  // 6
  cfg_.EnableNumericCode = Bit(addr::kNumericCodeOff) ? 0 : 1;
  cfg_.BaudKova = addr::kUnitRate.Get(b_);                                                // 7
  FunctionEnableSlot(addr::kResetSlot, cfg_.ResetEnable, cfg_.ResetRIC, cfg_.ResetFunc);  // 8
  cfg_.SndrTime = Decimal(addr::kSndrTime);                                               // 9
  cfg_.RepeatFilter = Decimal(addr::kRepeatFilter);
  cfg_.SndrMode = Bit(addr::kSounderTimed) ? OutputMode::Timed : OutputMode::WireOrd;  // 10
  cfg_.RlyMode = Bit(addr::kRelayTimed) ? OutputMode::Timed : OutputMode::WireOrd;
  FunctionEnableSlot(addr::kSign1Slot, cfg_.Sign1Enable, cfg_.Sign1RIC, cfg_.Sign1Func);  // 11
  FunctionEnableSlot(addr::kSign2Slot, cfg_.Sign2Enable, cfg_.Sign2RIC, cfg_.Sign2Func);
  cfg_.RepeatRIC1 = Ric(addr::kAlphaRangeStart);  // 12
  cfg_.AlphaRepeatFunc = ThreeBitFunction(addr::kAlphaRangeStart, &Configuration::AlphaRepeatFunc);
  cfg_.RepeatRIC2 = Ric(addr::kAlphaRangeEnd);
  cfg_.EnableAlphaRepeat = GetEnable(b_, addr::kAlphaRangeEnd);
  ReadChannels(addr::kSounderChannels, &Zone::SndrChan);  // 13
  for (int i = 0; i < kZoneCount; ++i)
    ReadZone(i);                                    // 14
  cfg_.RepeatRIC3 = Ric(addr::kNumericRangeStart);  // 15
  cfg_.NumericRepeatFunc =
      ThreeBitFunction(addr::kNumericRangeStart, &Configuration::NumericRepeatFunc);
  cfg_.RepeatRIC4 = Ric(addr::kNumericRangeEnd);
  cfg_.EnableNumericRepeat = GetEnable(b_, addr::kNumericRangeEnd);
  FunctionEnableSlot(addr::kAlphaSubSlot, cfg_.EnableAlphaSub, cfg_.AlphaSubRIC,  // 16
                     cfg_.AlphaSubFunc);
  FunctionEnableSlot(addr::kNumericSubSlot, cfg_.EnableNumericSub, cfg_.NumericSubRIC,
                     cfg_.NumericSubFunc);
  ReadSynthesizer();                       // 17-19
  cfg_.RlyTime = Decimal(addr::kRlyTime);  // 20
  ReadChannels(addr::kRelayChannels, &Zone::RlyChan);
  ReadSequence();                              // 21-23
  cfg_.FrmZero = Bit(addr::kFrmZero) ? 1 : 0;  // 24
  cfg_.SingleMsg = Bit(addr::kSingleMsg) ? 1 : 0;
  cfg_.SpeedLetter = Bit(addr::kSpeedLetter) ? 1 : 0;
  return warnings_;
}

}  // namespace

std::vector<std::string> InterpretEEprom(Document& doc) {
  return Reader(doc).Run();
}

}  // namespace kova
