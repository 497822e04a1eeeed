// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <memory>
#include <optional>
#include <string>

#include "link/port_map.h"

namespace kova::ctl {

// The rates remembered in the user's settings, beside the port mapping. A
// settings file that is no file (a named pipe) is never opened: reading it
// would wait for a writer for good, deaf to Ctrl+C.
class RememberedRates {
 public:
  RememberedRates();

  std::optional<int> LastSeen(const std::string& port) const;
  // Why the rate could not be kept; empty when it was, or when the file was
  // unusable from the start (problem() said so).
  std::string Remember(const std::string& port, int rate);
  const std::string& problem() const { return problem_; }

  // When a write on this port was cut short (or is still going out), so that
  // the next command waits for the unit to leave write mode.
  std::optional<long long> WriteCutShortAt(const std::string& port) const;
  void RememberWriteCutShort(const std::string& port, long long msSinceEpoch);
  void ClearWriteCutShort(const std::string& port);

 private:
  std::unique_ptr<QSettings> settings_;
  std::optional<PortRates> rates_;
  std::string problem_;
};

}  // namespace kova::ctl
