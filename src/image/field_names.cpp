// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_names.h"

#include "image/field_table.h"

namespace kova {

std::string FieldLabel(std::string_view control, int zone) {
  const FieldAt at = FindByControl(control);
  const std::string label = at ? std::string(at.field->label) : std::string(control);
  return zone < 0 ? label : ZoneName(zone) + " " + label;
}

std::string ControlName(std::string_view control, int zone) {
  return zone < 0 ? std::string(control) : std::string(control) + "(" + std::to_string(zone) + ")";
}

}  // namespace kova
