// SPDX-License-Identifier: GPL-3.0-or-later
// The per-field layout that release 1 wrote, read only. Each step sets its
// fields through the same rules a click runs, so that the steps interact as
// they always did: the rate buttons preset the clock jog before the file's
// own value replaces it, and an option group can end with nothing selected.
#include "files/profile_reader.h"
#include "image/field_table.h"
#include "image/frequency.h"
#include "image/value_rules.h"

namespace kova {

enum class KeyKind { Text, CheckBox, TwoBitFunction, ThreeBitFunction };

template <class Record>
struct ProfileReader::Key {
  const char* name;
  const char* fallback;
  KeyKind kind;
  std::string Record::*text = nullptr;
  int Record::*number = nullptr;
};

namespace {

template <class Record>
using Key = ProfileReader::Key<Record>;

template <class Record>
constexpr Key<Record> TextKey(const char* name, std::string Record::*field) {
  return {name, "", KeyKind::Text, field, nullptr};
}

template <class Record>
constexpr Key<Record> NumberKey(const char* name, const char* fallback, KeyKind kind,
                                int Record::*field) {
  return {name, fallback, kind, nullptr, field};
}

using C = Configuration;
constexpr auto kCheck = KeyKind::CheckBox;
constexpr auto kTwoBit = KeyKind::TwoBitFunction;
constexpr auto kThreeBit = KeyKind::ThreeBitFunction;

// L6, "Serial Data".
const Key<C> kSignKeys[] = {
    NumberKey("RIC 1 Enable", "0", kCheck, &C::Sign1Enable),
    TextKey("RIC 1", &C::Sign1RIC),
    NumberKey("RIC 1 Beep", "0", kTwoBit, &C::Sign1Func),
    NumberKey("RIC 2 Enable", "0", kCheck, &C::Sign2Enable),
    TextKey("RIC 2", &C::Sign2RIC),
    NumberKey("RIC 2 Beep", "0", kTwoBit, &C::Sign2Func),
};

// L7, "Serial Data": one repeater or the other, by "Repeat Numeric".
const Key<C> kNumericRepeaterKeys[] = {
    NumberKey("Repeat Enable", "0", kCheck, &C::EnableNumericRepeat),
    TextKey("Repeat RIC1", &C::RepeatRIC3),
    TextKey("Repeat RIC2", &C::RepeatRIC4),
    NumberKey("Repeat Beep", "0", kThreeBit, &C::NumericRepeatFunc),
    NumberKey("Repeat CapCode", "1", kCheck, &C::EnableNumericCode),
};
const Key<C> kAlphaRepeaterKeys[] = {
    NumberKey("Repeat Enable", "0", kCheck, &C::EnableAlphaRepeat),
    TextKey("Repeat RIC1", &C::RepeatRIC1),
    TextKey("Repeat RIC2", &C::RepeatRIC2),
    NumberKey("Repeat Beep", "0", kThreeBit, &C::AlphaRepeatFunc),
    NumberKey("Repeat CapCode", "1", kCheck, &C::EnableAlphaCode),
};

// L8, "Options".
const Key<C> kResetKeys[] = {
    NumberKey("Reset Enable", "0", kCheck, &C::ResetEnable),
    TextKey("Reset RIC", &C::ResetRIC),
    NumberKey("Reset Beep", "0", kTwoBit, &C::ResetFunc),
};

// L10, each "Chan n" section.
const Key<Zone> kZoneKeys[] = {
    NumberKey("Close Enable", "0", kCheck, &Zone::EnableClose),
    TextKey("Close RIC1", &Zone::CloseRIC1),
    TextKey("Close RIC2", &Zone::CloseRIC2),
    NumberKey("Close Beep", "0", kThreeBit, &Zone::CloseFunc),
    TextKey("Close TMax", &Zone::CloseTMax),
    NumberKey("Open Enable", "0", kCheck, &Zone::EnableOpen),
    TextKey("Open RIC1", &Zone::OpenRIC1),
    TextKey("Open RIC2", &Zone::OpenRIC2),
    NumberKey("Open Beep", "0", kThreeBit, &Zone::OpenFunc),
    NumberKey("Toggle Enable", "0", kCheck, &Zone::EnableToggle),
    TextKey("Toggle RIC1", &Zone::ToggleRIC1),
    TextKey("Toggle RIC2", &Zone::ToggleRIC2),
    NumberKey("Toggle Beep", "0", kThreeBit, &Zone::ToggleFunc),
    NumberKey("LinkToCommon", "0", kCheck, &Zone::RlyChan),
};

// An option button set from a file: true selects it (the group's other
// buttons clear), false clears it alone, which can leave nothing selected.
template <class Group>
void SetOption(Group& group, Group button, bool value) {
  if (value) {
    group = button;
  } else if (group == button) {
    group = Group::None;
  }
}

void SetRateOption(Configuration& cfg, PocsagRate rate, bool value) {
  if (value) {
    SelectPocsagBaud(cfg, rate);  // the click presets the clock jog
  } else {
    SetOption(cfg.PocsagBaud, rate, false);
  }
}

}  // namespace

template <class Record, std::size_t N>
void ProfileReader::ReadKeys(std::string_view section, const Key<Record> (&keys)[N],
                             Record& record) const {
  for (const auto& key : keys) {
    switch (key.kind) {
      case KeyKind::Text:
        record.*key.text = Text(section, key.name, key.fallback);
        break;
      case KeyKind::CheckBox:
        record.*key.number = CheckValue(section, key.name, key.fallback);
        break;
      case KeyKind::TwoBitFunction:
        record.*key.number = ListIndex(section, key.name, key.fallback, kTwoBitFunctions);
        break;
      case KeyKind::ThreeBitFunction:
        record.*key.number = ListIndex(section, key.name, key.fallback, kThreeBitFunctions);
        break;
    }
  }
}

void ProfileReader::ReadLegacy() {
  Configuration& cfg = doc_.cfg;
  constexpr int kRates = static_cast<int>(kBaudRates.size());

  cfg.Ver[2] = "EEprom Layout Version 1";  // L1

  SetRateOption(cfg, PocsagRate::R512, Boolean("General", "Baud512", "False"));  // L2
  SetRateOption(cfg, PocsagRate::R1200, Boolean("General", "Baud1200", "True"));
  SetRateOption(cfg, PocsagRate::R2400, Boolean("General", "Baud2400", "False"));

  SetOption(cfg.Polarity, PolarityMode::Normal, Boolean("General", "Polarity Normal", "True"));
  SetOption(cfg.Polarity, PolarityMode::Inverted,  // L3
            Boolean("General", "Polarity Inverted", "False"));

  cfg.ComPort = ListIndex("Comms", "Port", "0", 16);  // L4
  cfg.BaudPC = ListIndex("Comms", "PC Baud Rate", "4", kRates);
  cfg.BaudKova = ListIndex("Comms", "Kova Baud Rate", "4", kRates);

  cfg.ClkJog = Text("PLL", "Clk Jog", "8");  // L5

  ReadKeys("Serial Data", kSignKeys, cfg);  // L6

  const bool numeric = Number("Serial Data", "Repeat Numeric", "0") == 1;  // L7
  if (numeric) {
    ReadKeys("Serial Data", kNumericRepeaterKeys, cfg);
  } else {
    ReadKeys("Serial Data", kAlphaRepeaterKeys, cfg);
  }

  ReadKeys("Options", kResetKeys, cfg);  // L8

  SetOption(cfg.RlyMode, OutputMode::Timed, Boolean("Options", "Timed", "0"));  // L9
  SetOption(cfg.RlyMode, OutputMode::WireOrd, Boolean("Options", "WireOrd", "0"));
  cfg.RlyTime = Text("Options", "Common Time", "");
  cfg.RepeatFilter = Text("Options", "Repeat Filter", "");

  for (int i = 0; i < kZoneCount; ++i) {  // L10
    ReadKeys(ZoneName(i), kZoneKeys, cfg.Zones[i]);
  }

  CopyRelayToSounder(cfg);             // L11
  cfg.SynthRx = 0;                     // L12
  cfg.ChanSpace = kChanSpaceTable[1];  // L13
  cfg.Freq = kDefaultFreqHz;
}

}  // namespace kova
