// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kova {

// How an exchange with the unit, a probe or an operation ended, for callers
// that act on it (kovactl's exit status); the texts for people come with it.
enum class Outcome {
  None,            // it went through
  NoAnswer,        // a byte the unit should have sent did not come
  UnexpectedData,  // something came that is no answer of the unit's
  Differences,     // the read-back differs from what was written
  HangUp,          // the line stopped working
  Interrupted,     // someone asked it to stop
  PortProblem,     // the port could not be opened
  Refused,         // nothing was sent: a field, the port or the rate is not usable
};

}  // namespace kova
