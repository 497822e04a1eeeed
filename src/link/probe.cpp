// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/probe.h"

#include <QThread>
#include <algorithm>
#include <memory>

#include "link/link_messages.h"
#include "link/qt_serial_line.h"

namespace kova {
namespace {

constexpr int kCarriageReturn = 13;
// Longer than any version line a unit sends; a line this long is noise.
constexpr std::size_t kLongestVersionLine = 80;
// A line still talking after this many quiet-waits is given up on.
constexpr int kMostQuietWaits = 8;

bool Printable(int byte) {
  return byte >= 0x20 && byte <= 0x7E;
}

// One version line ended by a carriage return, all of it printable; nothing
// when anything else came.
std::optional<std::string> VersionLine(SerialLink& link) {
  std::string text;
  for (;;) {
    const int byte = link.ComRx();
    if (byte == kCarriageReturn) return text;
    if (!Printable(byte) || text.size() >= kLongestVersionLine) return std::nullopt;
    text += static_cast<char>(byte);
  }
}

// The version answer at the link's rate, or nothing.
std::optional<VersionTexts> AskVersion(SerialLink& link) {
  link.SendCommand(command::kVersion);
  if (link.ComRx() == -1) return std::nullopt;
  VersionTexts versions;
  for (std::string& line : versions) {
    std::optional<std::string> text = VersionLine(link);
    if (!text) return std::nullopt;
    line = std::move(*text);
  }
  return versions;
}

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
        result.portNotOpened = true;
        return result;
      }
      const long heardBefore = link.bytesReceived();
      if (std::optional<VersionTexts> versions = AskVersion(link)) {
        result.rate = rate;
        result.versions = std::move(*versions);
        return result;
      }
      // Whatever the unit may still be saying must be over before the next
      // rate, or it would be taken for part of that rate's answer. A request
      // that met a whole timeout of silence has had its wait already.
      if (link.bytesReceived() == heardBefore) continue;
      for (int i = 0; i < kMostQuietWaits && !link.StaysQuietFor(timings.rxTimeout); ++i) {
      }
    } catch (const StopRequested&) {
      result.failure = Interrupted();
      return result;
    } catch (const LineError& failure) {
      result.failure = PortLostError(port, device, failure.what());
      return result;
    }
  }
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
