// SPDX-License-Identifier: GPL-3.0-or-later
#include "diag/failure.h"

namespace kova {

void Fail(FailureCode code, const std::string& description) {
  throw Failure(code, description);
}

const char* FailureName(FailureCode code) {
  switch (code) {
    case FailureCode::InvalidProcedureCall:
      return "Invalid procedure call or argument";
    case FailureCode::Overflow:
      return "Overflow";
    case FailureCode::SubscriptOutOfRange:
      return "Subscript out of range";
    case FailureCode::TypeMismatch:
      return "Type mismatch";
    case FailureCode::InternalError:
      return "Internal error";
    case FailureCode::InvalidPropertyValue:
      return "Invalid property value";
  }
  return "Unknown failure";
}

}  // namespace kova
