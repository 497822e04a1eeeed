// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "image/configuration.h"

namespace kova::ctl {

// Sets one field from --set's "PATH=VALUE": PATH as 'show --json' and
// 'fields' name it ("BaudKova", "Zones[0].CloseRIC1"), VALUE as text, kept
// exactly or refused by the field's row (image/field_input.h). A field read
// from the unit or derived when packing is refused too. Throws FieldError
// naming the path, the value and what is allowed; the configuration is then
// left as it was. Returns the path.
std::string ApplySetting(const std::string& assignment, Configuration& cfg);

}  // namespace kova::ctl
