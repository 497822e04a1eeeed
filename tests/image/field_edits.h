// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <string>

#include "image/field_table.h"

// Cases written as the command line names fields, "Zones[0].CloseRIC1=1000;
// Polarity=Auto", and bytes as "29: E8 03; 232: 01", so that a case is a line.
namespace kova::testing {

// Calls each(path, value) for "path=value; path=value".
template <class Each>
void ForEachEdit(std::string_view edits, Each each) {
  while (!edits.empty()) {
    const std::size_t end = std::min(edits.find("; "), edits.size());
    const std::string_view edit = edits.substr(0, end);
    const std::size_t equals = std::min(edit.find('='), edit.size());
    const FieldAt at = FindByKey(edit.substr(0, equals));
    if (!at) throw std::invalid_argument("no field " + std::string(edit));
    each(at, std::string(edit.substr(std::min(equals + 1, edit.size()))));
    edits.remove_prefix(std::min(end + 2, edits.size()));
  }
}

// Stores each value as such, bypassing every check and click rule (or, when
// `click`, through the field's click rule): a text as given, an option
// group's item by its name, anything else as a number.
inline Configuration Edited(Configuration cfg, std::string_view edits, bool click = false) {
  ForEachEdit(edits, [&](const FieldAt& at, const std::string& value) {
    if (at.field->kind == FieldKind::Text) return SetText(cfg, *at.field, at.index, value);
    for (const FieldItem& item : at.field->items) {
      if (at.field->kind == FieldKind::Options && item.text == value)
        return (click ? ApplyNumber : SetNumber)(cfg, *at.field, at.index, item.value);
    }
    (click ? ApplyNumber : SetNumber)(cfg, *at.field, at.index, std::stod(value));
  });
  return cfg;
}

// What a field holds, as text: a number in full, without a fraction when whole.
inline std::string ValueText(const Configuration& cfg, const Field& field, int index) {
  if (field.kind == FieldKind::Text) return GetText(cfg, field, index);
  std::ostringstream out;
  out << std::setprecision(15) << GetNumber(cfg, field, index);
  return out.str();
}

// The fields `edits` names, written as `edits` writes them, with cfg's values.
inline std::string Values(const Configuration& cfg, std::string_view edits) {
  std::string text;
  ForEachEdit(edits, [&](const FieldAt& at, const std::string&) {
    const Field& field = *at.field;
    std::string value = ValueText(cfg, field, at.index);
    for (const FieldItem& item : field.items) {
      if (field.kind == FieldKind::Options && item.value == GetNumber(cfg, field, at.index))
        value = item.text;
    }
    text += (text.empty() ? "" : "; ") + KeyPath(field, at.index) + "=" + value;
  });
  return text;
}

// The bytes at the addresses `expected` names ("29: E8 03; 232: 01"), written alike.
inline std::string BytesAt(const EEpromImage& image, const std::string& expected) {
  std::istringstream in(expected);
  std::string text;
  for (std::string part; std::getline(in, part, ';');) {
    std::istringstream words(part);
    int address = 0;
    words >> address;
    words.ignore(1);  // the colon
    text += (text.empty() ? "" : "; ") + std::to_string(address) + ":";
    for (std::string hex; words >> hex;)
      text += " " + Hex2(image[static_cast<std::size_t>(address++)]);
  }
  return text;
}

// An image holding the bytes written as BytesAt writes them, zero elsewhere.
inline EEpromImage ImageOf(const std::string& bytes) {
  EEpromImage image{};
  std::istringstream in(bytes);
  for (std::string part; std::getline(in, part, ';');) {
    std::istringstream words(part);
    int address = 0;
    words >> address;
    words.ignore(1);  // the colon
    for (std::string hex; words >> hex;)
      image[static_cast<std::size_t>(address++)] =
          static_cast<std::uint8_t>(std::stoi(hex, nullptr, 16));
  }
  return image;
}

}  // namespace kova::testing
