// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace kova {

// The run-time failure numbers that reports carry. They keep the numbering
// the unit's technicians know from the earlier releases of this program.
enum class FailureCode : int {
  InvalidProcedureCall = 5,
  Overflow = 6,
  SubscriptOutOfRange = 9,
  TypeMismatch = 13,
  InternalError = 51,
  InvalidPropertyValue = 380,
};

// The one failure type of the program: a number and a description.
class Failure : public std::runtime_error {
 public:
  Failure(FailureCode code, const std::string& description)
      : std::runtime_error(description), code_(code) {}

  FailureCode code() const { return code_; }
  int number() const { return static_cast<int>(code_); }
  std::string description() const { return what(); }

 private:
  FailureCode code_;
};

[[noreturn]] void Fail(FailureCode code, const std::string& description);

// The standard description of a failure number ("Overflow", "Type mismatch").
const char* FailureName(FailureCode code);

}  // namespace kova
