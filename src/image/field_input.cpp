// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_input.h"

#include <charconv>
#include <cmath>

#include "image/frequency.h"
#include "image/verification_code.h"

namespace kova {
namespace {

constexpr double kLargestExactWhole = 9007199254740992.0;  // 2^53
constexpr int kSynthNBits = 18;

[[noreturn]] void Refuse(const Field& field, int index, const std::string& shown,
                         const std::string& problem) {
  throw FieldRefused(KeyPath(field, index) + ": " + shown + " " + problem);
}

std::string Shown(const FieldInput& value) {
  switch (value.form) {
    case FieldInput::Form::Text:
      return value.text.empty() ? "\"\"" : value.text;
    case FieldInput::Form::Number:
      return value.text;
    case FieldInput::Form::Boolean:
      return value.boolean ? "true" : "false";
    case FieldInput::Form::Null:
      return "null";
  }
  return value.text;
}

// A whole number: decimal digits (with a minus sign) in a text, or a JSON
// number that is whole and exact.
std::optional<long long> Whole(const FieldInput& value) {
  if (value.form == FieldInput::Form::Number) {
    if (!std::isfinite(value.number) || value.number != std::floor(value.number) ||
        std::fabs(value.number) > kLargestExactWhole)
      return std::nullopt;
    return static_cast<long long>(value.number);
  }
  if (value.form != FieldInput::Form::Text || value.text.empty()) return std::nullopt;
  long long number = 0;
  const char* end = value.text.data() + value.text.size();
  const auto [ptr, ec] = std::from_chars(value.text.data(), end, number);
  if (ec != std::errc() || ptr != end || value.text.front() == '+') return std::nullopt;
  return number;
}

// "A, B, C, D, ALL or null"
std::string OneOf(const Field& field, bool orNull) {
  std::string text;
  for (std::size_t i = 0; i < field.items.size(); ++i) {
    const bool last = i + 1 == field.items.size() && !orNull;
    text += (i == 0 ? "" : last ? " or " : ", ") + field.items[i].text;
  }
  return orNull ? text + " or null" : text;
}

const FieldItem* Item(const Field& field, const FieldInput& value) {
  if (value.form != FieldInput::Form::Text && value.form != FieldInput::Form::Number)
    return nullptr;
  for (const FieldItem& item : field.items) {
    if (item.text == value.text) return &item;
  }
  return nullptr;
}

std::string Number(long long value) {
  return std::to_string(value);
}

// A whole number of the field's range and step.
long long InRange(const Field& field, int index, const FieldInput& value) {
  const auto whole = Whole(value);
  const std::string shown = Shown(value);
  if (!whole) Refuse(field, index, shown, "is not a whole number");
  const auto min = static_cast<long long>(field.range->min);
  const auto max = static_cast<long long>(field.range->max);
  if (*whole < min || *whole > max)
    Refuse(field, index, shown, "is outside " + Number(min) + ".." + Number(max));
  if (field.step > 1 && *whole % field.step != 0) {
    const long long below = *whole / field.step * field.step;
    const std::string unit = field.unit == "seconds" ? " s" : "";
    Refuse(field, index, shown,
           "is not a whole " + Number(field.step) + unit + " step (" + Number(below) + " or " +
               Number(below + field.step) + ")");
  }
  return *whole;
}

std::string Text(const Field& field, int index, const FieldInput& value) {
  if (value.form == FieldInput::Form::Text) return value.text;
  // A number where a text is kept is taken as its digits, if it has them exactly.
  if (const auto whole = Whole(value)) return Number(*whole);
  Refuse(field, index, Shown(value), "is not a text");
}

void SetFrequency(Configuration& cfg, const Field& field, const FieldInput& value) {
  const auto whole = Whole(value);
  const std::string shown = Shown(value);
  if (!whole) Refuse(field, -1, shown, "is not a whole number of hertz");
  const long long spacing = cfg.ChanSpace;
  if (spacing <= 0) Refuse(field, -1, shown, "has no channel spacing (ChanSpace) to lie on");
  const auto base = static_cast<long long>(kSynthBaseHz);
  const long long top = base + ((1LL << kSynthNBits) - 1) * spacing;
  if (*whole < base || *whole > top)
    Refuse(field, -1, shown, "is outside " + Number(base) + ".." + Number(top));
  if ((*whole - base) % spacing != 0) {
    const long long below = base + (*whole - base) / spacing * spacing;
    Refuse(field, -1, shown,
           "is not on the " + Number(spacing) + " Hz raster (" + Number(below) + " or " +
               Number(below + spacing) + ")");
  }
  SetNumber(cfg, field, -1, static_cast<double>(*whole));
}

}  // namespace

FieldInput InputFromText(const std::string& text) {
  if (text == "null") return {.form = FieldInput::Form::Null};
  if (text == "true" || text == "false")
    return {.form = FieldInput::Form::Boolean, .boolean = text == "true"};
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return {.form = FieldInput::Form::Text, .text = text.substr(1, text.size() - 2)};
  return {.form = FieldInput::Form::Text, .text = text};
}

void SetFieldValue(Configuration& cfg, const Field& field, int index, const FieldInput& value) {
  const std::string shown = Shown(value);
  switch (field.kind) {
    case FieldKind::Text:
      if (field.range) return SetText(cfg, field, index, Number(InRange(field, index, value)));
      return SetText(cfg, field, index, Text(field, index, value));
    case FieldKind::CheckBox: {
      if (value.form == FieldInput::Form::Boolean)
        return SetNumber(cfg, field, index, value.boolean ? 1 : 0);
      const auto whole = Whole(value);
      if (!whole || *whole < 0 || *whole > 2)
        Refuse(field, index, shown, "is not 0, 1, 2 (greyed), true or false");
      return SetNumber(cfg, field, index, static_cast<double>(*whole));
    }
    case FieldKind::List:
    case FieldKind::Options:
      if (value.form == FieldInput::Form::Null) return SetNumber(cfg, field, index, field.none);
      if (const FieldItem* item = Item(field, value))
        return SetNumber(cfg, field, index, item->value);
      Refuse(field, index, shown, "is not one of " + OneOf(field, true));
    case FieldKind::Number:
      break;
  }
  if (!field.items.empty()) {
    if (const FieldItem* item = Item(field, value))
      return SetNumber(cfg, field, index, item->value);
    Refuse(field, index, shown, "is not one of " + OneOf(field, false));
  }
  if (std::holds_alternative<double Configuration::*>(field.member))
    return SetFrequency(cfg, field, value);
  if (field.range)
    return SetNumber(cfg, field, index, static_cast<double>(InRange(field, index, value)));
  const auto whole = Whole(value);
  if (!whole) Refuse(field, index, shown, "is not a whole number");
  SetNumber(cfg, field, index, static_cast<double>(*whole));
}

std::optional<std::string> WhyNotSettable(const Field& field) {
  if (!field.note.empty()) return std::string(field.note);
  if (field.home == FieldHome::ReadOnly) return "it is read from the unit, never written";
  return std::nullopt;
}

std::optional<std::string> CombinedRefusal(const Configuration& cfg) {
  const Field& vc = FieldOf(&Configuration::VC);
  const std::string shown = cfg.VC.empty() ? "\"\"" : cfg.VC;
  const auto refusal = [&](const std::string& problem) {
    return std::optional<std::string>(KeyPath(vc) + ": " + shown + " " + problem);
  };
  const double channels = (cfg.Freq - kSynthBaseHz) / cfg.ChanSpace;
  if (cfg.ChanSpace > 0 && channels != std::floor(channels)) {
    return "Freq: " + Number(static_cast<long long>(cfg.Freq)) + " is not on the " +
           Number(cfg.ChanSpace) + " Hz raster of ChanSpace";
  }
  if (cfg.NumericVC == 1 && cfg.AlphaVC == 1)
    return "NumericVC, AlphaVC: a sequence has one format; tick only one";
  if (cfg.NumericVC == 1) {
    if (cfg.VC.size() > static_cast<std::size_t>(vc.length))
      return refusal("is longer than " + Number(vc.length) + " numeric characters");
    if (cfg.VC.find_first_not_of(vc.chars) != std::string::npos)
      return refusal("has characters a numeric sequence cannot hold (0-9, A, U, space, -, ], [)");
  }
  if (cfg.AlphaVC == 1) {
    if (StripTrailingSpaces(cfg.VC).size() > static_cast<std::size_t>(kMaxAlphaChars))
      return refusal("is longer than " + Number(kMaxAlphaChars) + " alpha characters");
    for (const char c : cfg.VC) {
      const auto code = static_cast<unsigned char>(c);
      if (code < 32 || code > 126)
        return refusal("has characters an alpha sequence cannot hold (ASCII 32..126)");
    }
  }
  return std::nullopt;
}

}  // namespace kova
