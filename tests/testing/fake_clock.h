// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/clock.h"

namespace kova {

// Time that moves only when someone sleeps or advances it.
class FakeClock final : public Clock {
 public:
  time_point Now() override { return now_; }
  void SleepUntil(time_point when) override {
    if (when > now_) now_ = when;
  }
  void Advance(duration by) { now_ += by; }

 private:
  time_point now_{};
};

}  // namespace kova
