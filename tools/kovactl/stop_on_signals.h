// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <csignal>

namespace kova::ctl {

// Set by SIGINT or SIGTERM while a device verb runs; the operation under way
// sees it and stops, so that the user is told what the unit was left with.
extern std::atomic<bool> interrupted;

// Ctrl+C and SIGTERM ask the operation to stop rather than killing the
// process mid-write. A second Ctrl+C ends the process at once, letting go of
// the port first.
class StopOnSignals {
 public:
  StopOnSignals();
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

}  // namespace kova::ctl
