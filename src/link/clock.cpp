// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/clock.h"

#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace kova {

Clock::time_point SteadyClock::Now() {
  return std::chrono::time_point_cast<duration>(std::chrono::steady_clock::now());
}

void SteadyClock::SleepUntil(time_point when) {
#ifdef __linux__
  // The kernel may wake a sleeper up to its timer slack (50 us by default)
  // late; over the 252 paced bytes of a write that adds up to a visible part
  // of it. Once per thread.
  thread_local const bool tight = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
  (void)tight;
#endif
  // Even so the wake-up comes about 0.1 ms late on a virtual or busy machine,
  // 25 ms over a write. So sleep to a little before the deadline and give up
  // the processor until it has come: a few tenths of a millisecond of CPU
  // per pause.
  using namespace std::chrono_literals;
  constexpr duration kEarly = 300us;
  if (when - Now() > kEarly) std::this_thread::sleep_until(when - kEarly);
  while (Now() < when)
    std::this_thread::yield();
}

}  // namespace kova
