#include "window/view_bindings.h"

#include "image/field_names.h"
#include "image/frequency.h"
#include "image/value_rules.h"

namespace kova {
namespace {

using C = Configuration;
using R = FieldRule;

template <class T>
auto At(T C::*member) {
  return [member](C& cfg) -> T& { return cfg.*member; };
}

template <class T>
auto InZone(int zone, T Zone::*member) {
  return [zone, member](C& cfg) -> T& { return cfg.Zones[static_cast<std::size_t>(zone)].*member; };
}

template <class Field>
Binding Text(std::string control, Field field, FieldRule rule = R::None) {
  return {std::move(control), BindKind::Text, rule, [field](C& cfg) { return field(cfg); },
          [field](C& cfg, const std::string& text) { field(cfg) = text; }};
}

template <class Field>
Binding Number(BindKind kind, std::string control, Field field, FieldRule rule = R::None,
               void (*change)(C&, int) = nullptr) {
  return {std::move(control),
          kind,
          rule,
          {},
          {},
          [field](C& cfg) { return field(cfg); },
          [field, change](C& cfg, int value) {
            if (change) {
              change(cfg, value);
            } else {
              field(cfg) = value;
            }
          }};
}

template <class Field>
Binding Box(std::string control, Field field, FieldRule rule = R::None,
            void (*change)(C&, int) = nullptr) {
  return Number(BindKind::CheckBox, std::move(control), field, rule, change);
}

template <class Field>
Binding List(std::string control, Field field, FieldRule rule = R::None) {
  return Number(BindKind::List, std::move(control), field, rule);
}

template <class E>
Binding Option(std::string control, E C::*member, E option, void (*select)(C&, E) = nullptr) {
  return {std::move(control),
          BindKind::OptionBox,
          R::None,
          {},
          {},
          [member, option](C& cfg) { return cfg.*member == option ? 1 : 0; },
          [member, option, select](C& cfg, int) {
            if (select) {
              select(cfg, option);
            } else {
              cfg.*member = option;
            }
          }};
}

void AddZone(std::vector<Binding>& b, int i) {
  const auto name = [i](const char* control) { return ControlName(control, i); };
  b.push_back(Box(name("chkEnableClose"), InZone(i, &Zone::EnableClose)));
  b.push_back(Text(name("txtCloseRIC1"), InZone(i, &Zone::CloseRIC1), R::Ric));
  b.push_back(Text(name("txtCloseRIC2"), InZone(i, &Zone::CloseRIC2), R::Ric));
  b.push_back(List(name("lstCloseFunc"), InZone(i, &Zone::CloseFunc)));
  b.push_back(Box(name("chkTxMonitor"), InZone(i, &Zone::TxMonitor)));
  b.push_back(Text(name("txtCloseTMax"), InZone(i, &Zone::CloseTMax), R::Time));
  b.push_back(Box(name("chkEnableOpen"), InZone(i, &Zone::EnableOpen)));
  b.push_back(Text(name("txtOpenRIC1"), InZone(i, &Zone::OpenRIC1), R::Ric));
  b.push_back(Text(name("txtOpenRIC2"), InZone(i, &Zone::OpenRIC2), R::Ric));
  b.push_back(List(name("lstOpenFunc"), InZone(i, &Zone::OpenFunc)));
  b.push_back(Box(name("chkEnableToggle"), InZone(i, &Zone::EnableToggle)));
  b.push_back(Text(name("txtToggleRIC1"), InZone(i, &Zone::ToggleRIC1), R::Ric));
  b.push_back(Text(name("txtToggleRIC2"), InZone(i, &Zone::ToggleRIC2), R::Ric));
  b.push_back(List(name("lstToggleFunc"), InZone(i, &Zone::ToggleFunc)));
  b.push_back(Box(name("chkSndrChan"), InZone(i, &Zone::SndrChan)));
  b.push_back(Box(name("chkRlyChan"), InZone(i, &Zone::RlyChan)));
}

}  // namespace

std::vector<Binding> MakeBindings() {
  std::vector<Binding> b{
      Text("txtFileName", At(&C::FileName)),
      Option("opt512", &C::PocsagBaud, PocsagRate::R512, SelectPocsagBaud),
      Option("opt1200", &C::PocsagBaud, PocsagRate::R1200, SelectPocsagBaud),
      Option("opt2400", &C::PocsagBaud, PocsagRate::R2400, SelectPocsagBaud),
      Option("optAutoPol", &C::Polarity, PolarityMode::Auto),
      Option("optNormal", &C::Polarity, PolarityMode::Normal),
      Option("optInverted", &C::Polarity, PolarityMode::Inverted),
      Text("txtETI", At(&C::ETI)),
      Box("chkSynthRx", At(&C::SynthRx)),
      Option("optChanSpace(0)", &C::ChanSpaceOption, 0, SelectChanSpace),
      Option("optChanSpace(1)", &C::ChanSpaceOption, 1, SelectChanSpace),
      {"txtFreq", BindKind::Display, R::None, [](C& cfg) { return DisplayFreq(cfg.Freq); }},
      Box("chkFrmZero", At(&C::FrmZero)),
      Box("chkSingleMsg", At(&C::SingleMsg)),
      Box("chkSpeedLetter", At(&C::SpeedLetter)),
      List("lstComPort", At(&C::ComPort)),
      List("lstBaudPC", At(&C::BaudPC)),
      List("lstBaudKova", At(&C::BaudKova)),
      Text("txtClkJog", At(&C::ClkJog)),
      Option("optHuntingOn", &C::Hunting, HuntingMode::On),
      Option("optHuntingOff", &C::Hunting, HuntingMode::Off),
      Text("txtClkJogLpos", At(&C::ClkJogLpos)),
      Text("txtClkJogLneg", At(&C::ClkJogLneg)),
      Text("txtClkInc", At(&C::ClkInc)),
      Box("chkSign1Enable", At(&C::Sign1Enable)),
      Text("txtSign1RIC", At(&C::Sign1RIC), R::Ric),
      List("lstSign1Func", At(&C::Sign1Func)),
      Box("chkSign2Enable", At(&C::Sign2Enable)),
      Text("txtSign2RIC", At(&C::Sign2RIC), R::Ric),
      List("lstSign2Func", At(&C::Sign2Func)),
      Box("chkEnableAlphaRepeat", At(&C::EnableAlphaRepeat), R::RepeatEnable),
      Text("txtRepeatRIC1", At(&C::RepeatRIC1), R::RepeaterRic),
      Text("txtRepeatRIC2", At(&C::RepeatRIC2), R::RepeaterRic),
      List("lstAlphaRepeatFunc", At(&C::AlphaRepeatFunc), R::RepeatList),
      Box("chkEnableAlphaCode", At(&C::EnableAlphaCode)),
      Box("chkEnableAlphaSub", At(&C::EnableAlphaSub)),
      Text("txtAlphaSubRIC", At(&C::AlphaSubRIC), R::Ric),
      List("lstAlphaSubFunc", At(&C::AlphaSubFunc)),
      Box("chkEnableNumericRepeat", At(&C::EnableNumericRepeat), R::RepeatEnable),
      Text("txtRepeatRIC3", At(&C::RepeatRIC3), R::RepeaterRic),
      Text("txtRepeatRIC4", At(&C::RepeatRIC4), R::RepeaterRic),
      List("lstNumericRepeatFunc", At(&C::NumericRepeatFunc), R::RepeatList),
      Box("chkEnableNumericCode", At(&C::EnableNumericCode)),
      Box("chkEnableNumericSub", At(&C::EnableNumericSub)),
      Text("txtNumericSubRIC", At(&C::NumericSubRIC), R::Ric),
      List("lstNumericSubFunc", At(&C::NumericSubFunc)),
      Box("chkResetEnable", At(&C::ResetEnable)),
      Text("txtResetRIC", At(&C::ResetRIC), R::Ric),
      List("lstResetFunc", At(&C::ResetFunc)),
      Option("optSndrWireOrd", &C::SndrMode, OutputMode::WireOrd),
      Option("optSndrTimed", &C::SndrMode, OutputMode::Timed),
      Text("txtSndrTime", At(&C::SndrTime)),
      Option("optRlyWireOrd", &C::RlyMode, OutputMode::WireOrd),
      Option("optRlyTimed", &C::RlyMode, OutputMode::Timed),
      Text("txtRlyTime", At(&C::RlyTime)),
      Text("txtRepeatFilter", At(&C::RepeatFilter)),
      Text("txtVC", At(&C::VC), R::Sequence),
      Box("chkAlphaVC", At(&C::AlphaVC), R::None, SetAlphaVC),
      Box("chkNumericVC", At(&C::NumericVC), R::None, SetNumericVC),
  };
  for (int i = 0; i < 3; ++i) {
    b.push_back(Text(ControlName("txtVer", i),
                     [i](C& cfg) -> std::string& { return cfg.Ver[static_cast<std::size_t>(i)]; }));
  }
  for (int zone = 0; zone < kZoneCount; ++zone)
    AddZone(b, zone);
  return b;
}

std::vector<VisibilityRule> MakeVisibilityRules() {
  // A substitution shows only while both its Orvel protocol and Sub boxes are
  // ticked, so a hidden Sub box never leaves its RIC showing.
  return {
      {{"chkEnableAlphaSub"}, [](const C& cfg) { return cfg.EnableAlphaCode == 1; }},
      {{"txtAlphaSubRIC", "lstAlphaSubFunc", "Label26(11)", "Label16(11)"},
       [](const C& cfg) { return cfg.EnableAlphaCode == 1 && cfg.EnableAlphaSub == 1; }},
      {{"chkEnableNumericSub"}, [](const C& cfg) { return cfg.EnableNumericCode == 1; }},
      {{"txtNumericSubRIC", "lstNumericSubFunc", "Label26(12)", "Label16(12)"},
       [](const C& cfg) { return cfg.EnableNumericCode == 1 && cfg.EnableNumericSub == 1; }},
      {{"optAutoPol"}, [](const C& cfg) { return cfg.PocsagBaud != PocsagRate::R2400; }},
      {{"Label28(12)", "txtRlyTime", "Label56"},
       [](const C& cfg) { return cfg.RlyMode == OutputMode::Timed; }},
      {{"Label28(10)", "txtSndrTime", "Label30"},
       [](const C& cfg) { return cfg.SndrMode == OutputMode::Timed; }},
      {{"frmSynthRx"}, [](const C& cfg) { return cfg.SynthRx == 1; }},
  };
}

std::vector<CaptionRule> MakeCaptionRules() {
  std::vector<CaptionRule> rules;
  for (int zone = 0; zone < kZoneCount; ++zone) {
    rules.push_back({ControlName("Label28", zone), [zone](const C& cfg) {
                       return cfg.Zones[static_cast<std::size_t>(zone)].TxMonitor == 1 ? "Timeout"
                                                                                       : "TMax";
                     }});
  }
  return rules;
}

}  // namespace kova
