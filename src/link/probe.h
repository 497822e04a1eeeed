// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "link/clock.h"
#include "link/serial_line.h"
#include "link/serial_link.h"
#include "link/unit_protocol.h"

namespace kova {

// The order in which the probe tries the rates when it knows nothing better:
// the factory rate first, then the faster ones a workshop picks, the slow
// ones last. A version request sent at any of the eight rates reaches a unit
// at any other as bytes that are none of its commands (the UART model's
// table test shows it for all 64 pairs), so no rate has to be left out and
// the order only decides how soon the unit is found.
constexpr std::array<int, 8> kProbeOrder{9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200};

// kProbeOrder with `first` (the rate the unit was last seen at) moved ahead.
std::vector<int> ProbeOrder(std::optional<int> first);

struct ProbeResult {
  // The rate at which the unit answered, with what it answered.
  std::optional<int> rate;
  VersionTexts versions{};
  // The rates asked, in order.
  std::vector<int> tried;
  // None when the unit answered; NoAnswer when nothing came at any rate;
  // UnexpectedData when something that is no answer came at some rate (and
  // no rate gave a whole answer); PortProblem, HangUp or Interrupted when the
  // probe could not go on.
  Outcome outcome = Outcome::NoAnswer;
  // The rates at which something came that was not a whole answer.
  std::vector<int> unexpectedAt;
  // The message for every outcome but None and NoAnswer.
  std::optional<Message> failure;
  bool portNotOpened = false;
};

// Asks for the version at each rate in turn and stops at the first one that
// gets a whole answer by the link's rule (AskVersion), with no line cut
// short by a timeout. Nothing but the version request is ever sent; after a
// rate that got something else, the line must be silent for a whole receive
// timeout before the next is tried.
// `port` names the device in messages. Setting `cancel` stops the probe
// soon, with the failure saying that it was interrupted.
ProbeResult ProbeUnit(SerialLine& line, Clock& clock, const std::string& device,
                      const std::string& port, const std::vector<int>& rates,
                      const LinkTimings& timings = {}, const std::atomic<bool>* cancel = nullptr);

// The same on the computer's serial port, blocking until it has ended (it
// needs no application object).
ProbeResult ProbeUnit(const std::string& device, const std::string& port,
                      const std::vector<int>& rates, const LinkTimings& timings = {},
                      const std::atomic<bool>* cancel = nullptr);

}  // namespace kova
