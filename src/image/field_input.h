// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "image/field_table.h"

// A value that arrives without a person watching it (a command line, a JSON
// file) turned into what a field keeps, exactly, or refused. The window has
// its own checks and texts for what is typed; this is for input that cannot
// be asked again.
namespace kova {

struct FieldInput {
  enum class Form { Text, Number, Boolean, Null };
  Form form = Form::Text;
  std::string text = {};  // Text: as given; Number: as written, "1.5", "19200"
  double number = 0;
  bool boolean = false;
};

// "Zones[0].CloseTMax: 15 is not a whole 10 s step (10 or 20)": the path, the
// value and what the field allows.
class FieldRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value as a command line gives it: "null", "true", "false", a JSON
// string in double quotes (its text), or plain text. Digits stay text.
FieldInput InputFromText(const std::string& text);

// Stores the value in the field (index: the zone or Ver's element, -1 for a
// single field) as the image or the file keeps it. Digit strings stay text:
// a 20-digit sequence is kept whole, a RIC "007" is kept as 7. Throws
// FieldRefused for what the image cannot hold exactly: not a whole number,
// off the step or the raster, outside the range, not one of the items,
// characters outside the set, too long. The configuration then is unchanged.
// No click rule runs: the value is stored as such.
void SetFieldValue(Configuration& cfg, const Field& field, int index, const FieldInput& value);

// Why the field may not be set at all from outside (read from the unit, or
// derived when packing); nullopt when it may.
std::optional<std::string> WhyNotSettable(const Field& field);

// What only the values together decide, once every value is in: the sequence
// against its format, the frequency against the spacing. The refusal, or
// nullopt when the image holds them exactly.
std::optional<std::string> CombinedRefusal(const Configuration& cfg);

}  // namespace kova
