// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "diag/failure.h"

namespace kova {

// The label a message uses for a control: FieldLabel("txtCloseRIC1", 2) is
// "Chan 3 Close RIC". Zone is -1 for controls outside the zone tabs.
std::string FieldLabel(std::string_view control, int zone = -1);

// The control's object name: "txtCloseRIC1(2)" for a member of a zone array.
std::string ControlName(std::string_view control, int zone = -1);

// A value refused while packing: the message names the field and its text,
// and control() names the control so that the window can take the user there.
class FieldFailure : public Failure {
 public:
  FieldFailure(FailureCode code, const std::string& message, std::string control)
      : Failure(code, message), control_(std::move(control)) {}
  const std::string& control() const { return control_; }

 private:
  std::string control_;
};

}  // namespace kova
