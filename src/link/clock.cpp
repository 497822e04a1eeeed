// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/clock.h"

#include <thread>

namespace kova {

Clock::time_point SteadyClock::Now() {
  return std::chrono::time_point_cast<duration>(std::chrono::steady_clock::now());
}

void SteadyClock::SleepUntil(time_point when) {
  std::this_thread::sleep_until(when);
}

}  // namespace kova
