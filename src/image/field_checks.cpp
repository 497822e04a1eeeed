// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/field_checks.h"

#include <utility>

#include "diag/failure.h"
#include "image/conversions.h"
#include "image/field_table.h"
#include "image/ric_slot.h"
#include "image/verification_code.h"

namespace kova {
namespace {

constexpr int kAllFunctions = 4;  // "ALL" in the repeater function lists

// The largest whole number of seconds a zone's TMax can hold.
std::int64_t MaxCloseTMax() {
  return static_cast<std::int64_t>(FieldOf(&Zone::CloseTMax).range->max);
}

// A full field drops the key, and one that is too long (pasted) is cut;
// otherwise the key decides.
KeyVerdict LimitedKey(const std::string& text, std::size_t limit, bool accepted) {
  if (text.size() > limit) return {false, text.substr(0, limit)};
  if (text.size() == limit) return {false, std::nullopt};
  return {accepted, std::nullopt};
}

bool InNumericTable(int code) {
  return code > 0 && code < 256 &&
         kNumericTable.find(static_cast<char>(code)) != std::string_view::npos;
}

}  // namespace

bool DigitKeyPasses(int code) {
  return (code >= '0' && code <= '9') || code == kBackspace;
}

KeyVerdict FilterVcKey(const Configuration& cfg, int code) {
  if (cfg.NumericVC == 1) {
    if (code == kBackspace) return {};
    return LimitedKey(cfg.VC, kMaxNumericChars, InNumericTable(code));
  }
  if (cfg.AlphaVC == 1) {
    if (code == kBackspace) return {};
    return LimitedKey(cfg.VC, kMaxAlphaChars, code >= 32 && code <= 127);
  }
  return {};
}

bool IsValidRic(std::int64_t value) {
  const bool idle = value >= 2007664 && value <= 2007671;
  const bool sync = value >= 2045056 && value <= 2045063;
  return value >= 0 && value <= kMaxRic && !idle && !sync;
}

std::string RicInvalidText(std::string_view fieldText) {
  return std::string(fieldText) + " may not be a valid RIC. Valid RICs are in the range 0-" +
         std::to_string(kMaxRic) +
         ", and exclude the ranges "
         "2007664-2007671 and 2045056-2045063.";
}

FieldVerdict RicInvalid(std::string_view fieldText) {
  FieldVerdict verdict{fieldText.empty() ? "0" : std::string(fieldText), std::nullopt};
  bool valid = false;
  try {
    valid = IsValidRic(ToLong(verdict.text));
  } catch (const Failure&) {
    valid = false;
  }
  if (!valid) verdict.refusal = Message{.text = RicInvalidText(verdict.text)};
  return verdict;
}

std::string TimeInvalidText(std::string_view fieldText) {
  return std::string(fieldText) +
         " is not a valid time in this context. Valid times are in the range 0-" +
         std::to_string(MaxCloseTMax()) + ".";
}

FieldVerdict CheckCloseTMax(std::string_view fieldText) {
  FieldVerdict verdict{fieldText.empty() ? "0" : std::string(fieldText), std::nullopt};
  try {
    // Rounded in 64 bits: the largest 32-bit values must be refused, not overflow.
    const std::int64_t n = ToLong(verdict.text);
    const std::int64_t step = FieldOf(&Zone::CloseTMax).step;
    const std::int64_t rounded = (n + step / 2) / step * step;
    verdict.text = std::to_string(rounded);
    if (rounded >= 0 && rounded <= MaxCloseTMax()) return verdict;
  } catch (const Failure&) {
    // Not a number: refused with the text as it stands.
  }
  verdict.refusal = Message{.text = TimeInvalidText(verdict.text)};
  return verdict;
}

bool RangesOverlap(std::int64_t a1, std::int64_t a2, std::int64_t n1, std::int64_t n2) {
  if (a1 > a2) std::swap(a1, a2);
  if (n1 > n2) std::swap(n1, n2);
  return !(a2 < n1 || n2 < a1);
}

Message OverlapWarning() {
  return Message{
      .title = "Warning: Potential overlap",
      .text =
          "Warning: Overlap in Alpha/Numeric message ranges ... potentially confusing operation",
      .icon = MessageIcon::Information};
}

std::optional<Message> RepeaterOverlap(const Configuration& cfg) {
  if (cfg.EnableAlphaRepeat == 0 || cfg.EnableNumericRepeat == 0) return std::nullopt;
  const int a = cfg.AlphaRepeatFunc;
  const int b = cfg.NumericRepeatFunc;
  if (a != kAllFunctions && b != kAllFunctions && a != b) return std::nullopt;
  if (!RangesOverlap(ToLong(cfg.RepeatRIC1), ToLong(cfg.RepeatRIC2), ToLong(cfg.RepeatRIC3),
                     ToLong(cfg.RepeatRIC4))) {
    return std::nullopt;
  }
  return OverlapWarning();
}

}  // namespace kova
