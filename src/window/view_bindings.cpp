// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/view_bindings.h"

#include "image/field_names.h"
#include "image/field_table.h"
#include "window/window_pages.h"

namespace kova {
namespace {

using C = Configuration;

Binding Bind(const Field& f, int index) {
  const Field* field = &f;
  Binding b{ControlName(f, index), f.kind, f.check};
  switch (f.kind) {
    case FieldKind::Text:
      b.text = [field, index](const C& cfg) { return GetText(cfg, *field, index); };
      b.setText = [field, index](C& cfg, const std::string& text) {
        SetText(cfg, *field, index, text);
      };
      break;
    case FieldKind::CheckBox:
    case FieldKind::List:
      b.value = [field, index](const C& cfg) {
        return static_cast<int>(GetNumber(cfg, *field, index));
      };
      b.setValue = [field, index](C& cfg, int value) { ApplyNumber(cfg, *field, index, value); };
      break;
    case FieldKind::Number:
      b.text = [field](const C& cfg) { return field->display(cfg); };
      break;
    case FieldKind::Options:
      break;
  }
  return b;
}

// One binding per button: 1 while the field holds the button's value.
Binding BindOption(const Field& f, const FieldItem& item) {
  const Field* field = &f;
  const int option = item.value;
  Binding b{item.control, f.kind, f.check};
  b.value = [field, option](const C& cfg) { return GetNumber(cfg, *field) == option ? 1 : 0; };
  b.setValue = [field, option](C& cfg, int) { ApplyNumber(cfg, *field, -1, option); };
  return b;
}

}  // namespace

std::vector<Binding> MakeBindings() {
  std::vector<Binding> bindings;
  for (const Field& field : Fields()) {
    if (field.kind == FieldKind::Options) {
      for (const FieldItem& item : field.items)
        bindings.push_back(BindOption(field, item));
      continue;
    }
    // A number is bound only where the window shows it.
    if (field.control.empty() || (field.kind == FieldKind::Number && !field.display)) continue;
    for (int i = 0; i < field.count(); ++i)
      bindings.push_back(Bind(field, field.count() > 1 ? i : -1));
  }
  return bindings;
}

std::vector<VisibilityRule> MakeVisibilityRules() {
  const auto name = [](const FieldMember& member) { return ControlName(FieldOf(member)); };
  const auto button = [](const FieldMember& member, auto value) {
    for (const FieldItem& item : FieldOf(member).items) {
      if (item.value == static_cast<int>(value)) return item.control;
    }
    return std::string();
  };
  // A substitution shows only while both its Orvel protocol and Sub boxes are
  // ticked, so a hidden Sub box never leaves its RIC showing.
  return {
      {{name(&C::EnableAlphaSub)}, [](const C& cfg) { return cfg.EnableAlphaCode == 1; }},
      {{name(&C::AlphaSubRIC), name(&C::AlphaSubFunc), control::kAlphaSubRicLabel,
        control::kAlphaSubFuncLabel},
       [](const C& cfg) { return cfg.EnableAlphaCode == 1 && cfg.EnableAlphaSub == 1; }},
      {{name(&C::EnableNumericSub)}, [](const C& cfg) { return cfg.EnableNumericCode == 1; }},
      {{name(&C::NumericSubRIC), name(&C::NumericSubFunc), control::kNumericSubRicLabel,
        control::kNumericSubFuncLabel},
       [](const C& cfg) { return cfg.EnableNumericCode == 1 && cfg.EnableNumericSub == 1; }},
      {{button(&C::Polarity, PolarityMode::Auto)},
       [](const C& cfg) { return cfg.PocsagBaud != PocsagRate::R2400; }},
      {{control::kRelayTimeLabel, name(&C::RlyTime), control::kRelayTimeUnit},
       [](const C& cfg) { return cfg.RlyMode == OutputMode::Timed; }},
      {{control::kSounderTimeLabel, name(&C::SndrTime), control::kSounderTimeUnit},
       [](const C& cfg) { return cfg.SndrMode == OutputMode::Timed; }},
      {{control::kSynthRxFrame}, [](const C& cfg) { return cfg.SynthRx == 1; }},
  };
}

std::vector<CaptionRule> MakeCaptionRules() {
  std::vector<CaptionRule> rules;
  for (int zone = 0; zone < kZoneCount; ++zone) {
    rules.push_back(
        {ZoneControlName(control::kZoneTimeLabel, zone), [zone](const Configuration& cfg) {
           return cfg.Zones[static_cast<std::size_t>(zone)].TxMonitor == 1 ? "Timeout" : "TMax";
         }});
  }
  return rules;
}

}  // namespace kova
