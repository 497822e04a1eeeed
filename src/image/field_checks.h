// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "diag/message.h"
#include "image/configuration.h"

// What the window checks while the user types and when a field is left. The
// widgets only carry the results: every decision and every message text is
// made here, so it can be tried without a window.
namespace kova {

constexpr int kBackspace = 8;

// RIC and time fields take digits and backspace, nothing else (no length limit).
bool DigitKeyPasses(int code);

// The verification sequence's key filter. A full field is cut to its maximum
// length (a longer text can only have been pasted) and the key dropped.
struct KeyVerdict {
  bool pass = true;
  std::optional<std::string> text;  // the field's new text when the filter shortened it
};
KeyVerdict FilterVcKey(const Configuration& cfg, int code);

// A field's text after it was left, and the message when it may not be left.
struct FieldVerdict {
  std::string text;
  std::optional<Message> refusal;
};

bool IsValidRic(std::int64_t value);
std::string RicInvalidText(std::string_view fieldText);
// An empty field becomes "0". Text that is not a whole 32-bit number at all
// is refused like an out-of-range RIC: there is nothing valid to keep.
FieldVerdict RicInvalid(std::string_view fieldText);

std::string TimeInvalidText(std::string_view fieldText);
// Seconds rounded to the row's step (tens, halves upward), refused outside its range.
FieldVerdict CheckCloseTMax(std::string_view fieldText);

// Closed ranges given in either order; touching ranges overlap.
bool RangesOverlap(std::int64_t a1, std::int64_t a2, std::int64_t n1, std::int64_t n2);
Message OverlapWarning();
// The warning when both repeater ranges are enabled, may drive the same
// function and share a RIC. Throws a Failure when a range text is not a number.
std::optional<Message> RepeaterOverlap(const Configuration& cfg);

}  // namespace kova
