// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "image/field_table.h"

// The one table between the model and the window: which control shows which
// field of the Configuration, and how a user's change goes back into it.
// Refreshing the window and reading an edit back are loops over this table.
namespace kova {

struct Binding {
  std::string control;  // the object name, "txtCloseRIC1(3)"
  // The field's: an Options binding is one button, 1 while the field holds
  // its value; a Number one a text box showing a number it never gives back.
  FieldKind kind;
  FieldCheck rule = FieldCheck::None;
  std::function<std::string(const Configuration&)> text = {};
  std::function<void(Configuration&, const std::string&)> setText = {};
  std::function<int(const Configuration&)> value = {};
  // The user's change, through the same rule a click runs (an Option gets 1).
  std::function<void(Configuration&, int)> setValue = {};
};

std::vector<Binding> MakeBindings();

// Controls whose visibility follows the model.
struct VisibilityRule {
  std::vector<std::string> controls;
  std::function<bool(const Configuration&)> shown;
};
std::vector<VisibilityRule> MakeVisibilityRules();

// Captions that follow the model: each zone's "Timeout" / "TMax".
struct CaptionRule {
  std::string control;
  std::function<std::string(const Configuration&)> caption;
};
std::vector<CaptionRule> MakeCaptionRules();

}  // namespace kova
