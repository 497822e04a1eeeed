// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/probe.h"

#include <QThread>
#include <algorithm>
#include <memory>

#include "link/link_messages.h"
#include "link/qt_serial_line.h"

namespace kova {
namespace {

// After an answer that was not the unit's, the line must have been silent
// this many receive timeouts in a row (a unit's bytes are never further
// apart) before the next rate is tried, or the rest of that answer would be
// read as the next rate's. A line still talking after this many is given up.
constexpr int kMostQuietWaits = 8;

}  // namespace

std::vector<int> ProbeOrder(std::optional<int> first) {
  std::vector<int> order(kProbeOrder.begin(), kProbeOrder.end());
  const auto at = std::find(order.begin(), order.end(), first.value_or(0));
  if (at != order.end()) std::rotate(order.begin(), at, at + 1);
  return order;
}

ProbeResult ProbeUnit(SerialLine& line, Clock& clock, const std::string& device,
                      const std::string& port, const std::vector<int>& rates,
                      const LinkTimings& timings, const std::atomic<bool>* cancel) {
  ProbeResult result;
  SerialLink link(line, clock, timings);
  link.SetCancel(cancel);
  for (int rate : rates) {
    result.tried.push_back(rate);
    try {
      link.StopIfCancelled();
      try {
        link.ComOpen({device, rate});
      } catch (const LineError& failure) {
        result.failure = PortOpenError(port, device, failure.what());
        result.outcome = Outcome::PortProblem;
        result.portNotOpened = true;
        return result;
      }
      VersionTexts versions;
      bool whole = false;
      const Outcome asked = AskVersion(link, versions, &whole);
      if (asked == Outcome::None && whole) {
        result.rate = rate;
        result.versions = std::move(versions);
        result.outcome = Outcome::None;
        result.failure.reset();
        return result;
      }
      if (asked == Outcome::NoAnswer) continue;
      // Something came that is not a whole answer: say so unless a later
      // rate finds the unit, and let it end before trying the next rate.
      result.unexpectedAt.push_back(rate);
      result.outcome = Outcome::UnexpectedData;
      if (!link.WaitForQuiet(timings.rxTimeout, kMostQuietWaits * timings.rxTimeout)) {
        result.failure = UnexpectedResponse();
        return result;
      }
    } catch (const StopRequested&) {
      result.failure = Interrupted();
      result.outcome = Outcome::Interrupted;
      return result;
    } catch (const LineError& failure) {
      result.failure = PortLostError(port, device, failure.what());
      result.outcome = Outcome::HangUp;
      return result;
    }
  }
  if (result.outcome == Outcome::UnexpectedData) result.failure = UnexpectedResponse();
  return result;
}

ProbeResult ProbeUnit(const std::string& device, const std::string& port,
                      const std::vector<int>& rates, const LinkTimings& timings,
                      const std::atomic<bool>* cancel) {
  if (!QThread::currentThread()->eventDispatcher()) {
    // The serial port wants a thread with an event dispatcher (see RunOperation).
    ProbeResult result;
    const std::unique_ptr<QThread> thread(
        QThread::create([&] { result = ProbeUnit(device, port, rates, timings, cancel); }));
    thread->start();
    thread->wait();
    return result;
  }
  QtSerialLine line;
  SteadyClock clock;
  return ProbeUnit(line, clock, device, port, rates, timings, cancel);
}

}  // namespace kova
