// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace kova {

// The link's sense of time: a monotonic clock that can also sleep. The device
// exchanges are timed (a 250 ms wait per byte, a 10 ms pause after each
// written byte, 3.5 s before verifying); tests swap in a clock that only
// pretends, so those waits cost nothing.
class Clock {
 public:
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<std::chrono::steady_clock, duration>;

  virtual ~Clock() = default;
  virtual time_point Now() = 0;
  virtual void SleepUntil(time_point when) = 0;
};

// The machine's monotonic clock.
class SteadyClock final : public Clock {
 public:
  time_point Now() override;
  void SleepUntil(time_point when) override;
};

}  // namespace kova
