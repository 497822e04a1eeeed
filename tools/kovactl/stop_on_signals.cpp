// SPDX-License-Identifier: GPL-3.0-or-later
#include "stop_on_signals.h"

#include "link/qt_serial_line.h"

namespace kova::ctl {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

namespace {

extern "C" void AskToStop(int signal) {
  if (!interrupted.exchange(true, std::memory_order_relaxed)) return;
  // The second time: end now, but not with the port still locked.
  ReleaseHeldPortForExit();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

StopOnSignals::StopOnSignals() {
  interrupted.store(false);
  struct sigaction action {};
  action.sa_handler = AskToStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &oldInt_);
  sigaction(SIGTERM, &action, &oldTerm_);
}

StopOnSignals::~StopOnSignals() {
  sigaction(SIGINT, &oldInt_, nullptr);
  sigaction(SIGTERM, &oldTerm_, nullptr);
}

}  // namespace kova::ctl
