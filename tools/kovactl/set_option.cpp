// SPDX-License-Identifier: GPL-3.0-or-later
#include "set_option.h"

#include "config_fields.h"
#include "image/field_input.h"

namespace kova::ctl {

std::string ApplySetting(const std::string& assignment, Configuration& cfg) {
  const auto equals = assignment.find('=');
  if (equals == std::string::npos) {
    throw FieldError("--set " + assignment + ": expected PATH=VALUE (BaudKova=19200)");
  }
  const std::string path = assignment.substr(0, equals);
  const FieldAt at = FindByKey(path);
  // A zone's field and Ver need their index: "Zones[0].CloseRIC1", "Ver[0]".
  if (!at || at.field->key.empty() || (at.field->count() > 1 && at.index < 0)) {
    throw FieldError(path + ": no such field; 'kovactl fields' lists them");
  }
  if (const auto why = WhyNotSettable(*at.field)) {
    throw FieldError(path + ": cannot be set: " + *why);
  }
  Configuration edited = cfg;
  try {
    SetFieldValue(edited, *at.field, at.index, InputFromText(assignment.substr(equals + 1)));
  } catch (const FieldRefused& refusal) {
    throw FieldError(refusal.what());
  }
  cfg = edited;
  return path;
}

}  // namespace kova::ctl
