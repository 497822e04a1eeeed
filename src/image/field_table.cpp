// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_table.h"

#include <charconv>

#include "image/frequency.h"
#include "image/ric_slot.h"
#include "image/value_rules.h"
#include "image/verification_code.h"

namespace kova {
namespace {

using namespace std::string_view_literals;
using C = Configuration;
using Z = Zone;
using K = FieldKind;
using H = FieldHome;
using R = FieldCheck;

using D = Codec;
namespace a = addr;

constexpr FieldRange kRicRange{0, kMaxRic};
constexpr FieldRange kByteSeconds{0, 255};
constexpr int kTenSeconds = 10;
constexpr FieldRange kTMaxSeconds{0, ((1 << a::kCloseTMax.width) - 1) * kTenSeconds};

std::vector<FieldItem> Functions(int count) {
  std::vector<FieldItem> items;
  for (int code = 0; code < count; ++code)
    items.push_back({code, kFunctionNames[code], ""});
  return items;
}

std::vector<FieldItem> Rates() {
  std::vector<FieldItem> items;
  for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i)
    items.push_back({i, std::to_string(kBaudRates[i]), ""});
  return items;
}

std::vector<FieldItem> Ports() {
  std::vector<FieldItem> items;
  for (int i = 0; i < 16; ++i)
    items.push_back({i, std::to_string(i + 1), ""});
  return items;
}

template <class E>
FieldItem Option(E value, const char* json, const char* control) {
  return {static_cast<int>(value), json, control};
}

// The rows that share a shape.
Field Text(FieldMember member, std::string_view key, std::string_view control,
           std::string_view label, std::string_view tab, ClearedValue cleared = {},
           R check = R::None, std::optional<FieldRange> range = {}, std::string_view unit = "") {
  return {.member = member,
          .key = key,
          .control = control,
          .label = label,
          .kind = K::Text,
          .home = H::Unit,
          .tab = tab,
          .cleared = cleared,
          .unit = unit,
          .range = range,
          .check = check};
}

Field Ric(FieldMember member, std::string_view key, std::string_view control,
          std::string_view label, std::string_view tab, R check = R::Ric) {
  return Text(member, key, control, label, tab, "0"sv, check, kRicRange);
}

Field Seconds(FieldMember member, std::string_view key, std::string_view control,
              std::string_view label, std::string_view tab, FieldRange range = kByteSeconds,
              R check = R::None) {
  return Text(member, key, control, label, tab, "0"sv, check, range, "seconds");
}

Field Box(FieldMember member, std::string_view key, std::string_view control,
          std::string_view label, std::string_view tab, ClearedValue cleared = 0,
          R check = R::None) {
  return {.member = member,
          .key = key,
          .control = control,
          .label = label,
          .kind = K::CheckBox,
          .home = H::Unit,
          .tab = tab,
          .cleared = cleared,
          .check = check};
}

Field List(FieldMember member, std::string_view key, std::string_view control,
           std::string_view label, std::string_view tab, std::vector<FieldItem> items,
           R check = R::None) {
  return {.member = member,
          .key = key,
          .control = control,
          .label = label,
          .kind = K::List,
          .home = H::Unit,
          .tab = tab,
          .items = std::move(items),
          .check = check};
}

Field Function(FieldMember member, std::string_view key, std::string_view control,
               std::string_view label, std::string_view tab, int count, R check = R::None) {
  return List(member, key, control, label, tab, Functions(count), check);
}

Field Options(FieldMember member, std::string_view key, std::string_view label,
              std::string_view tab, std::vector<FieldItem> items, int none,
              ClearedValue cleared = {}) {
  return {.member = member,
          .key = key,
          .label = label,
          .kind = K::Options,
          .home = H::Unit,
          .tab = tab,
          .items = std::move(items),
          .none = none,
          .cleared = cleared};
}

Field Mode(OutputMode C::*member, std::string_view key, std::string_view label, const char* fixed,
           const char* timed) {
  return Options(
      member, key, label, "Options",
      {Option(OutputMode::Timed, "Timed", timed), Option(OutputMode::WireOrd, "WireOrd", fixed)},
      static_cast<int>(OutputMode::None));
}

Field With(Field field, H home) {
  field.home = home;
  return field;
}

// A unit field's bits, codec and the steps of packing and reading it runs at.
Field At(Field field, D codec, a::Bits bits, int packStep, int readStep) {
  field.codec = codec;
  field.bits = bits;
  field.packStep = packStep;
  field.readStep = readStep;
  return field;
}

// A slot of RIC, two-bit function and enable, packed and read at one step each.
void Slot(std::vector<Field>& t, int slot, int pack, int read, Field enable, Field ric,
          Field func) {
  t.push_back(At(std::move(enable), D::AnyFlag, a::SlotEnable(slot), pack, read));
  t.push_back(At(std::move(ric), D::Ric, a::SlotRic(slot), pack, read));
  t.push_back(At(std::move(func), D::Item, a::SlotFunction(slot, 2), pack, read));
}

// A RIC range: the start's slot holds the three-bit function, the end's the enable.
Field RangeStart(Field ric, int slot, int pack, int read) {
  return At(std::move(ric), D::Ric, a::SlotRic(slot), pack, read);
}
Field RangeFunction(Field func, int slot, int pack, int read) {
  return At(std::move(func), D::Item, a::SlotFunction(slot, 3), pack, read);
}
Field RangeEnable(Field enable, int slot, int pack, int read) {
  return At(std::move(enable), D::AnyFlag, a::SlotEnable(slot), pack, read);
}
// A repeater's range, its rows in the order enable, start, end, function.
void Range(std::vector<Field>& t, int startSlot, int endSlot, int pack, int read, Field enable,
           Field start, Field end, Field func) {
  t.push_back(RangeEnable(std::move(enable), endSlot, pack, read));
  t.push_back(RangeStart(std::move(start), startSlot, pack, read));
  t.push_back(RangeStart(std::move(end), endSlot, pack, read));
  t.push_back(RangeFunction(std::move(func), startSlot, pack, read));
}

constexpr int two = kTwoBitFunctions;
constexpr int three = kThreeBitFunctions;

std::vector<Field> MakeTable() {
  std::vector<Field> t;
  // General
  {
    Field f =
        With(Text(&C::FileName, "FileName", "txtFileName", "File name", "General", ""sv), H::Pc);
    f.note = "it is the name of the file written";
    t.push_back(std::move(f));
  }
  t.push_back(
      With(Text(&C::Ver, "Ver", "txtVer(%d)", "Firmware version", "General", ""sv), H::ReadOnly));
  {
    Field f = Options(
        &C::PocsagBaud, "PocsagBaud", "POCSAG baud rate", "General",
        {Option(PocsagRate::R512, "512", "opt512"), Option(PocsagRate::R1200, "1200", "opt1200"),
         Option(PocsagRate::R2400, "2400", "opt2400")},
        static_cast<int>(PocsagRate::None), static_cast<int>(PocsagRate::R1200));
    f.numericItems = true;
    f.unit = "bit/s";
    f.apply = [](C& cfg, int v) { SelectPocsagBaud(cfg, static_cast<PocsagRate>(v)); };
    t.push_back(std::move(f));
  }
  t.push_back(Options(&C::Polarity, "Polarity", "Polarity", "General",
                      {Option(PolarityMode::Auto, "Auto", "optAutoPol"),
                       Option(PolarityMode::Normal, "Normal", "optNormal"),
                       Option(PolarityMode::Inverted, "Inverted", "optInverted")},
                      static_cast<int>(PolarityMode::None),
                      static_cast<int>(PolarityMode::Normal)));

  // Engineering
  t.push_back(
      With(Text(&C::ETI, "ETI", "txtETI", "Elapsed time", "Engineering", ""sv), H::ReadOnly));
  t.push_back(At(Box(&C::SynthRx, "SynthRx", "chkSynthRx", "Synth Rx", "Engineering"), D::Flag,
                 a::kSynthRx, 9, 17));
  {
    // The buttons of the spacing; JSON sees the spacing itself, in the next row.
    Field f =
        Options(&C::ChanSpaceOption, "", "Channel spacing", "Engineering",
                {{0, "5000", "optChanSpace(0)"}, {1, "6250", "optChanSpace(1)"}}, kNoSelection, 1);
    f.apply = SelectChanSpace;
    t.push_back(std::move(f));
  }
  t.push_back({.member = &C::ChanSpace,
               .key = "ChanSpace",
               .control = "optChanSpace",
               .label = "Channel spacing",
               .kind = K::Number,
               .home = H::Unit,
               .tab = "Engineering",
               .items = {{kChanSpaceTable[0], "5000", ""}, {kChanSpaceTable[1], "6250", ""}},
               .numericItems = true,
               .none = 0,
               .cleared = kChanSpaceTable[1],
               .unit = "Hz",
               .store = [](C& cfg, int hertz) {
                 cfg.ChanSpace = hertz;
                 cfg.ChanSpaceOption = hertz == kChanSpaceTable[0] ? 0 : 1;
               }});
  t.push_back({.member = &C::Freq,
               .key = "Freq",
               .control = "txtFreq",
               .label = "Synth Rx frequency",
               .kind = K::Number,
               .home = H::Unit,
               .tab = "Engineering",
               .cleared = kDefaultFreqHz,
               .unit = "Hz",
               .display = [](const C& cfg) { return DisplayFreq(cfg.Freq); }});
  t.push_back({.member = &C::SynthN,
               .key = "SynthN",
               .label = "Synthesizer divider",
               .kind = K::Number,
               .home = H::ReadOnly,
               .tab = "Engineering",
               .range = FieldRange{0, (1 << a::kSynthN.width) - 1},
               .note = "it is derived from Freq and ChanSpace"});
  t.push_back(
      At(Box(&C::FrmZero, "FrmZero", "chkFrmZero", "Frame zero messages only", "Engineering"),
         D::Flag, a::kFrmZero, 9, 24));
  t.push_back(
      At(Box(&C::SingleMsg, "SingleMsg", "chkSingleMsg", "First message only", "Engineering"),
         D::Flag, a::kSingleMsg, 9, 24));
  t.push_back(
      At(Box(&C::SpeedLetter, "SpeedLetter", "chkSpeedLetter", "Baud rate letter", "Engineering"),
         D::Flag, a::kSpeedLetter, 9, 24));

  // Comms
  {
    Field f = With(
        List(&C::ComPort, "ComPort", "lstComPort", "Communications port", "Comms", Ports()), H::Pc);
    f.numericItems = true;
    t.push_back(std::move(f));
  }
  const auto rate = [&](ListIndex C::*member, std::string_view key, std::string_view control,
                        std::string_view label, H home) {
    Field f = With(List(member, key, control, label, "Comms", Rates()), home);
    f.numericItems = true;
    f.unit = "bit/s";
    t.push_back(std::move(f));
  };
  rate(&C::BaudPC, "BaudPC", "lstBaudPC", "PC baud rate", H::Pc);
  rate(&C::BaudKova, "BaudKova", "lstBaudKova", "Kova baud rate", H::Unit);
  t.back() = At(std::move(t.back()), D::Item, a::kUnitRate, 1, 7);

  // PLL
  {
    Field f = With(Options(&C::Hunting, "Hunting", "PLL hunting", "PLL",
                           {Option(HuntingMode::On, "On", "optHuntingOn"),
                            Option(HuntingMode::Off, "Off", "optHuntingOff")},
                           static_cast<int>(HuntingMode::None), static_cast<int>(HuntingMode::Off)),
                   H::ReadOnly);
    f.note = "it shares bit 3 of byte 5 with the unit's rate (BaudKova), which decides it";
    t.push_back(At(std::move(f), D::OptionBit, a::kHunting, 0, 4));
  }
  {
    Field f = Text(&C::ClkJog, "ClkJog", "txtClkJog", "Clock jog", "PLL", "8"sv);
    f.note = "packing sets the clock jog from the POCSAG rate";
    t.push_back(std::move(f));
  }
  t.push_back(With(Text(&C::ClkJogLpos, "ClkJogLpos", "txtClkJogLpos", "Error jog limit (positive)",
                        "PLL", "0"sv),
                   H::Pc));
  t.push_back(With(Text(&C::ClkJogLneg, "ClkJogLneg", "txtClkJogLneg", "Error jog limit (negative)",
                        "PLL", "0"sv),
                   H::Pc));
  t.push_back(
      With(Text(&C::ClkInc, "ClkInc", "txtClkInc", "Clock adjustment", "PLL", "4"sv), H::Pc));

  // Serial Data
  const auto sd = "Serial Data"sv;
  Slot(t, a::kSign1Slot, 5, 11,
       Box(&C::Sign1Enable, "Sign1Enable", "chkSign1Enable", "Serial sign 1", sd),
       Ric(&C::Sign1RIC, "Sign1RIC", "txtSign1RIC", "Serial sign 1 RIC", sd),
       Function(&C::Sign1Func, "Sign1Func", "lstSign1Func", "Serial sign 1 beep", sd, two));
  Slot(t, a::kSign2Slot, 5, 11,
       Box(&C::Sign2Enable, "Sign2Enable", "chkSign2Enable", "Serial sign 2", sd),
       Ric(&C::Sign2RIC, "Sign2RIC", "txtSign2RIC", "Serial sign 2 RIC", sd),
       Function(&C::Sign2Func, "Sign2Func", "lstSign2Func", "Serial sign 2 beep", sd, two));
  Range(t, a::kAlphaRangeStart, a::kAlphaRangeEnd, 6, 12,
        Box(&C::EnableAlphaRepeat, "EnableAlphaRepeat", "chkEnableAlphaRepeat", "Alpha output", sd,
            0, R::RepeatEnable),
        Ric(&C::RepeatRIC1, "RepeatRIC1", "txtRepeatRIC1", "Alpha output RIC range start", sd,
            R::RepeaterRic),
        Ric(&C::RepeatRIC2, "RepeatRIC2", "txtRepeatRIC2", "Alpha output RIC range end", sd,
            R::RepeaterRic),
        Function(&C::AlphaRepeatFunc, "AlphaRepeatFunc", "lstAlphaRepeatFunc", "Alpha output beep",
                 sd, three, R::RepeatList));
  t.push_back(At(Box(&C::EnableAlphaCode, "EnableAlphaCode", "chkEnableAlphaCode",
                     "Alpha Orvel protocol", sd, {}),
                 D::InvertedFlag, a::kAlphaCodeOff, 2, 6));
  Slot(t, a::kAlphaSubSlot, 11, 16,
       Box(&C::EnableAlphaSub, "EnableAlphaSub", "chkEnableAlphaSub", "Alpha substitute", sd),
       Ric(&C::AlphaSubRIC, "AlphaSubRIC", "txtAlphaSubRIC", "Alpha substitute RIC", sd),
       Function(&C::AlphaSubFunc, "AlphaSubFunc", "lstAlphaSubFunc", "Alpha substitute beep", sd,
                two));
  Range(t, a::kNumericRangeStart, a::kNumericRangeEnd, 10, 15,
        Box(&C::EnableNumericRepeat, "EnableNumericRepeat", "chkEnableNumericRepeat",
            "Numeric output", sd, 0, R::RepeatEnable),
        Ric(&C::RepeatRIC3, "RepeatRIC3", "txtRepeatRIC3", "Numeric output RIC range start", sd,
            R::RepeaterRic),
        Ric(&C::RepeatRIC4, "RepeatRIC4", "txtRepeatRIC4", "Numeric output RIC range end", sd,
            R::RepeaterRic),
        Function(&C::NumericRepeatFunc, "NumericRepeatFunc", "lstNumericRepeatFunc",
                 "Numeric output beep", sd, three, R::RepeatList));
  t.push_back(At(Box(&C::EnableNumericCode, "EnableNumericCode", "chkEnableNumericCode",
                     "Numeric Orvel protocol", sd, {}),
                 D::InvertedFlag, a::kNumericCodeOff, 2, 6));
  Slot(t, a::kNumericSubSlot, 11, 16,
       Box(&C::EnableNumericSub, "EnableNumericSub", "chkEnableNumericSub", "Numeric substitute",
           sd),
       Ric(&C::NumericSubRIC, "NumericSubRIC", "txtNumericSubRIC", "Numeric substitute RIC", sd),
       Function(&C::NumericSubFunc, "NumericSubFunc", "lstNumericSubFunc",
                "Numeric substitute beep", sd, two));

  // Chan 1 .. Chan 10
  const auto ch = "Chan"sv;
  // A zone's rows run at packing step 8 and reading step 14, zone after zone.
  const auto range = [&](std::string Z::*ric1, std::string_view key1, std::string_view c1,
                         std::string_view l1, ListIndex Z::*func, std::string_view fkey,
                         std::string_view fc, std::string_view fl, std::string Z::*ric2,
                         std::string_view key2, std::string_view c2, std::string_view l2,
                         Check Z::*enable, std::string_view ekey, std::string_view ec,
                         std::string_view el, int start, int end) {
    t.push_back(RangeStart(Ric(ric1, key1, c1, l1, ch), start, 8, 14));
    t.push_back(RangeFunction(Function(func, fkey, fc, fl, ch, three), start, 8, 14));
    t.push_back(RangeStart(Ric(ric2, key2, c2, l2, ch), end, 8, 14));
    t.push_back(RangeEnable(Box(enable, ekey, ec, el, ch), end, 8, 14));
  };
  range(&Z::CloseRIC1, "CloseRIC1", "txtCloseRIC1(%d)", "Close RIC", &Z::CloseFunc, "CloseFunc",
        "lstCloseFunc(%d)", "Close beep", &Z::CloseRIC2, "CloseRIC2", "txtCloseRIC2(%d)",
        "Close RIC range end", &Z::EnableClose, "EnableClose", "chkEnableClose(%d)", "Close",
        a::kCloseStart, a::kCloseEnd);
  {
    Field f =
        Seconds(&Z::CloseTMax, "CloseTMax", "txtCloseTMax(%d)", "TMax", ch, kTMaxSeconds, R::Time);
    f.step = kTenSeconds;
    t.push_back(At(std::move(f), D::TenSeconds, a::kCloseTMax, 8, 14));
  }
  t.push_back(At(Box(&Z::TxMonitor, "TxMonitor", "chkTxMonitor(%d)", "Test call monitor", ch, {}),
                 D::AnyFlag, a::kTxMonitor, 8, 14));
  range(&Z::OpenRIC1, "OpenRIC1", "txtOpenRIC1(%d)", "Open RIC", &Z::OpenFunc, "OpenFunc",
        "lstOpenFunc(%d)", "Open beep", &Z::OpenRIC2, "OpenRIC2", "txtOpenRIC2(%d)",
        "Open RIC range end", &Z::EnableOpen, "EnableOpen", "chkEnableOpen(%d)", "Open",
        a::kOpenStart, a::kOpenEnd);
  range(&Z::ToggleRIC1, "ToggleRIC1", "txtToggleRIC1(%d)", "Toggle RIC", &Z::ToggleFunc,
        "ToggleFunc", "lstToggleFunc(%d)", "Toggle beep", &Z::ToggleRIC2, "ToggleRIC2",
        "txtToggleRIC2(%d)", "Toggle RIC range end", &Z::EnableToggle, "EnableToggle",
        "chkEnableToggle(%d)", "Toggle", a::kToggleStart, a::kToggleEnd);
  t.push_back(At(Box(&Z::SndrChan, "SndrChan", "chkSndrChan(%d)", "Sounder channel", ch, {}),
                 D::ZoneBit, a::kSounderChannels, 7, 13));
  t.push_back(At(Box(&Z::RlyChan, "RlyChan", "chkRlyChan(%d)", "Common relay channel", ch, {}),
                 D::ZoneBit, a::kRelayChannels, 13, 20));

  // Options
  const auto op = "Options"sv;
  Slot(t, a::kResetSlot, 3, 8, Box(&C::ResetEnable, "ResetEnable", "chkResetEnable", "Reset", op),
       Ric(&C::ResetRIC, "ResetRIC", "txtResetRIC", "Reset RIC", op),
       Function(&C::ResetFunc, "ResetFunc", "lstResetFunc", "Reset beep", op, two));
  t.push_back(At(Mode(&C::SndrMode, "SndrMode", "Sounder mode", "optSndrWireOrd", "optSndrTimed"),
                 D::OptionBit, a::kSounderTimed, 1, 10));
  t.push_back(At(Seconds(&C::SndrTime, "SndrTime", "txtSndrTime", "Sounder time", op), D::Byte,
                 a::kSndrTime, 4, 9));
  t.push_back(At(Mode(&C::RlyMode, "RlyMode", "Common relay mode", "optRlyWireOrd", "optRlyTimed"),
                 D::OptionBit, a::kRelayTimed, 1, 10));
  t.push_back(At(Seconds(&C::RlyTime, "RlyTime", "txtRlyTime", "Common relay time", op), D::Byte,
                 a::kRlyTime, 13, 20));
  t.push_back(
      At(Seconds(&C::RepeatFilter, "RepeatFilter", "txtRepeatFilter", "Repeat filter time", op),
         D::Byte, a::kRepeatFilter, 4, 9));

  // Verification
  const auto vf = "Verification"sv;
  {
    Field f = Box(&C::NumericVC, "NumericVC", "chkNumericVC", "Numeric sequence format", vf);
    f.apply = SetNumericVC;
    t.push_back(std::move(f));
  }
  {
    Field f = Box(&C::AlphaVC, "AlphaVC", "chkAlphaVC", "Alpha sequence format", vf);
    f.apply = SetAlphaVC;
    t.push_back(std::move(f));
  }
  {
    // The numeric format's limits; an alpha sequence is shorter (verification_code.h).
    Field f = Text(&C::VC, "VC", "txtVC", "Verification sequence", vf, ""sv, R::Sequence);
    f.length = kMaxNumericChars;
    f.chars = kNumericTable;
    t.push_back(std::move(f));
  }
  return t;
}

const std::vector<Field>& Table() {
  static const std::vector<Field> table = MakeTable();
  return table;
}

constexpr HandWrittenField kHandWritten[] = {
    {"ETI", a::kElapsedMinutes, "running time: minutes of the hour; never written"},
    {"ETI", a::kElapsedHours, "running time: hours; never written"},
    {"VC", a::kSequenceBits,
     "length of the sequence in bits (7 per alpha, 4 per numeric character); 0 for none"},
    {"PocsagBaud", a::kRate512, "1: 512 baud (read before bit 1)"},
    {"PocsagBaud", a::kRate2400, "1: 2400 baud; neither bit: 1200"},
    {"Polarity", a::kInverted, "1: inverted (unless byte 232 bit 0)"},
    {"ClkJog", a::kClockJog, "clock jog, forced from the POCSAG rate"},
    {"VC", a::kSequenceLow, "verification area, bits 0..23 (continues in byte 248)"},
    {"-", a::kSynthLowOne, "always 1"},
    {"SynthN, Freq", a::kSynthN, "synthesizer divider: Freq = 45 MHz + SynthN x ChanSpace"},
    {"-", a::kSynthHighOne, "always 1"},
    {"ChanSpace", a::kRaster6250, "1: 6.25 kHz raster, 0: 5 kHz"},
    {"Polarity", a::kAutoPolarity, "1: automatic polarity"},
    {"AlphaVC, NumericVC", a::kAlphaFormat,
     "1: alpha sequence, 0: numeric (with a length in byte 4)"},
    {"VC", a::kSequenceHigh, "verification area, bits 24..79"},
    {"-", a::kLastByte, "never written"},
};

constexpr std::string_view kIndexSuffix = "(%d)";

std::string_view Base(const Field& field) {
  std::string_view control = field.control;
  if (control.ends_with(kIndexSuffix)) control.remove_suffix(kIndexSuffix.size());
  return control;
}

// The number in "(3)" or "[3]" at the front of text, within 0..count-1; -1 otherwise.
int Index(std::string_view text, char open, char close, int count, std::string_view* rest) {
  if (text.size() < 3 || text.front() != open) return -1;
  const auto end = text.find(close);
  if (end == std::string_view::npos) return -1;
  int n = -1;
  const auto [ptr, ec] = std::from_chars(text.data() + 1, text.data() + end, n);
  if (ec != std::errc() || ptr != text.data() + end || n < 0 || n >= count) return -1;
  *rest = text.substr(end + 1);
  return n;
}

template <class Record>
Record& In(Configuration& cfg, int index) {
  if constexpr (std::is_same_v<Record, Zone>) {
    return cfg.Zones.at(static_cast<std::size_t>(index));
  } else {
    return cfg;
  }
}

[[noreturn]] void WrongType(const Field& field) {
  throw std::logic_error("field " + std::string(field.key) + " is not of that type");
}

// The member as a reference to its stored type, for the visitor.
template <class Visit>
decltype(auto) Member(Configuration& cfg, const Field& field, int index, Visit&& visit) {
  return std::visit(
      [&](auto member) -> decltype(auto) {
        using M = decltype(member);
        if constexpr (std::is_same_v<M, std::array<std::string, 3> C::*>) {
          return visit((cfg.*member).at(static_cast<std::size_t>(index)));
        } else if constexpr (std::is_same_v<M, std::string Z::*> || std::is_same_v<M, int Z::*>) {
          return visit(In<Zone>(cfg, index).*member);
        } else {
          return visit(cfg.*member);
        }
      },
      field.member);
}

}  // namespace

int Field::count() const {
  if (std::holds_alternative<std::array<std::string, 3> C::*>(member)) return 3;
  return zoned() ? kZoneCount : 1;
}

bool Field::zoned() const {
  return std::holds_alternative<std::string Z::*>(member) ||
         std::holds_alternative<int Z::*>(member);
}

std::span<const Field> Fields() {
  return Table();
}

std::span<const HandWrittenField> HandWrittenFields() {
  return kHandWritten;
}

std::vector<const Field*> RowsAtStep(int step, bool reading) {
  std::vector<const Field*> rows;
  for (const Field& field : Table()) {
    if ((reading ? field.readStep : field.packStep) == step) rows.push_back(&field);
  }
  return rows;
}

const Field& FieldOf(const FieldMember& member) {
  for (const Field& field : Table()) {
    if (field.member == member) return field;
  }
  throw std::logic_error("a configuration member without a field");
}

FieldAt FindByControl(std::string_view name) {
  const auto& table = Table();
  for (const Field& field : table) {
    for (std::size_t i = 0; i < field.items.size(); ++i) {
      if (!field.items[i].control.empty() && field.items[i].control == name)
        return {&field, -1, static_cast<int>(i)};
    }
    const std::string_view base = Base(field);
    if (base.empty() || !name.starts_with(base)) continue;
    std::string_view rest = name.substr(base.size());
    if (rest.empty()) return {&field, -1, -1};
    if (field.count() == 1) continue;
    const int index = Index(rest, '(', ')', field.count(), &rest);
    if (index >= 0 && rest.empty()) return {&field, index, -1};
  }
  return {};
}

FieldAt FindByKey(std::string_view path) {
  int zone = -1;
  if (path.starts_with("Zones")) {
    std::string_view rest = path.substr(5);
    zone = Index(rest, '[', ']', kZoneCount, &rest);
    if (zone < 0 || !rest.starts_with('.')) return {};
    path = rest.substr(1);
  }
  for (const Field& field : Table()) {
    if (field.key.empty() || !path.starts_with(field.key)) continue;
    std::string_view rest = path.substr(field.key.size());
    if (field.zoned()) {
      if (rest.empty()) return {&field, zone, -1};
      continue;
    }
    if (zone >= 0) continue;
    if (rest.empty()) return {&field, -1, -1};
    if (field.count() == 1) continue;
    const int index = Index(rest, '[', ']', field.count(), &rest);
    if (index >= 0 && rest.empty()) return {&field, index, -1};
  }
  return {};
}

std::string ControlName(const Field& field, int index) {
  std::string name(Base(field));
  if (index >= 0 && field.count() > 1) name += "(" + std::to_string(index) + ")";
  return name;
}

std::string KeyPath(const Field& field, int index) {
  const std::string at = index < 0 ? "i" : std::to_string(index);
  if (field.zoned()) return "Zones[" + at + "]." + std::string(field.key);
  if (field.count() > 1) return std::string(field.key) + "[" + at + "]";
  return std::string(field.key);
}

std::string ZoneName(int index) {
  return "Chan " + std::to_string(index + 1);
}

std::string FieldLabel(const Field& field, int index) {
  const std::string label(field.label);
  return field.zoned() && index >= 0 ? ZoneName(index) + " " + label : label;
}

std::string GetText(const Configuration& cfg, const Field& field, int index) {
  return Member(const_cast<Configuration&>(cfg), field, index, [&](auto& value) -> std::string {
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
      return value;
    } else {
      WrongType(field);
    }
  });
}

void SetText(Configuration& cfg, const Field& field, int index, std::string text) {
  Member(cfg, field, index, [&](auto& value) {
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
      value = std::move(text);
    } else {
      WrongType(field);
    }
  });
}

double GetNumber(const Configuration& cfg, const Field& field, int index) {
  return Member(const_cast<Configuration&>(cfg), field, index, [&](auto& value) -> double {
    using T = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<T, std::string>) {
      WrongType(field);
    } else if constexpr (std::is_enum_v<T>) {
      return static_cast<double>(static_cast<int>(value));
    } else {
      return static_cast<double>(value);
    }
  });
}

void SetNumber(Configuration& cfg, const Field& field, int index, double number) {
  if (field.store) {
    field.store(cfg, static_cast<int>(number));
    return;
  }
  Member(cfg, field, index, [&](auto& value) {
    using T = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<T, std::string>) {
      WrongType(field);
    } else if constexpr (std::is_enum_v<T>) {
      value = static_cast<T>(static_cast<int>(number));
    } else {
      value = static_cast<T>(number);
    }
  });
}

void ApplyNumber(Configuration& cfg, const Field& field, int index, double value) {
  if (field.apply) {
    field.apply(cfg, static_cast<int>(value));
  } else {
    SetNumber(cfg, field, index, value);
  }
}

}  // namespace kova
