// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_differences.h"

#include <cmath>
#include <sstream>

namespace kova {

std::string FieldValueText(const Configuration& cfg, const Field& field, int index) {
  if (field.kind == FieldKind::Text) return GetText(cfg, field, index);
  if (field.display) return field.display(cfg);
  const double number = GetNumber(cfg, field, index);
  if (field.kind == FieldKind::CheckBox) {
    return number == 0 ? "not ticked" : number == 1 ? "ticked" : "greyed";
  }
  for (const FieldItem& item : field.items) {
    if (item.value == number) return item.text;
  }
  if ((field.kind == FieldKind::List || field.kind == FieldKind::Options) && number == field.none)
    return "none";
  std::ostringstream text;
  text << std::llround(number);
  if (!field.unit.empty()) text << ' ' << field.unit;
  return text.str();
}

std::vector<FieldDifference> FieldDifferences(const Configuration& ours,
                                              const Configuration& theirs) {
  std::vector<FieldDifference> found;
  for (const Field& field : Fields()) {
    if (field.home != FieldHome::Unit) continue;
    const bool several = field.count() > 1;
    for (int i = 0; i < field.count(); ++i) {
      const int index = several ? i : -1;
      const std::string a = FieldValueText(ours, field, index);
      const std::string b = FieldValueText(theirs, field, index);
      if (a == b) continue;
      std::string tab(field.tab);
      if (field.zoned()) tab += " " + std::to_string(i + 1);
      found.push_back({.field = &field,
                       .index = index,
                       .label = FieldLabel(field, index),
                       .tab = tab,
                       .key = KeyPath(field, index),
                       .ours = a,
                       .theirs = b});
    }
  }
  return found;
}

}  // namespace kova
