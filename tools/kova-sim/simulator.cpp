// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ostream>

#include "eeprom_file.h"
#include "image/configuration.h"
#include "link/uart_model.h"

namespace kova::sim {
namespace {

constexpr int kBitsPerByte = 10;  // start, eight data bits, stop
// Bytes reach the program in batches at most this often, as through a UART's
// FIFO or a USB adapter's frames, rather than one wake-up per byte.
constexpr auto kDeliveryGranularity = std::chrono::milliseconds(1);
// How often to look again while nobody holds the device.
constexpr auto kClosedPoll = std::chrono::milliseconds(5);
constexpr auto kLongestSleep = std::chrono::milliseconds(200);

timespec ToTimespec(std::chrono::nanoseconds d) {
  if (d < std::chrono::nanoseconds::zero()) d = {};
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(d.count() / 1000000000);
  ts.tv_nsec = static_cast<long>(d.count() % 1000000000);
  return ts;
}

}  // namespace

Simulator::Simulator(const SimOptions& options, UnitModel& unit, PtyDevice& device,
                     std::ostream& out, std::ostream& log)
    : options_(options), unit_(unit), device_(device), out_(out), log_(log) {
  const Clock::time_point now = Clock::now();
  lastHeard_ = now;
  nextMinute_ = now + std::chrono::milliseconds(options_.minuteMs);
}

Simulator::Clock::duration Simulator::ByteTime() const {
  const int rate = kBaudRates[unit_.RateIndex()];
  return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(kBitsPerByte)) / rate +
         std::chrono::milliseconds(options_.byteDelayMs);
}

void Simulator::Run(const volatile bool& stop) {
  const pid_t parent = ::getppid();
  while (!stop) {
    Clock::time_point now = Clock::now();
    if (options_.dieWithParent && ::getppid() != parent) return;
    if (options_.exitOnIdle > 0 &&
        now - lastHeard_ > std::chrono::duration<double>(options_.exitOnIdle)) {
      if (options_.verbose) log_ << "idle, exiting\n";
      return;
    }
    if (now >= nextMinute_) {
      unit_.AdvanceMinutes(1);
      nextMinute_ += std::chrono::milliseconds(options_.minuteMs);
      Save();
    }
    if (stuck_ && outgoing_.size() < 16) {
      Queue(std::vector<std::uint8_t>(16, static_cast<std::uint8_t>(options_.stuckByte)), now);
    }
    SendDue(now);

    pollfd pfd{device_.fd(), POLLIN, 0};
    const timespec timeout = ToTimespec(NextWake(now) - now);
    const int ready = ::ppoll(&pfd, 1, &timeout, nullptr);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    now = Clock::now();
    const bool closed = (pfd.revents & POLLIN) ? !Receive(now, pfd.revents & POLLHUP) : true;
    if (closed) {
      // Nobody holds the device: the program closed it.
      if (peerOpen_) PeerClosed();
      device_.SetIdleRate(kBaudRates[unit_.RateIndex()]);
      if (!device_.HoldSlave()) {
        // The master reads EIO until the device is opened again.
        const timespec pause = ToTimespec(kClosedPoll);
        ::nanosleep(&pause, nullptr);
      }
    }
  }
}

Simulator::Clock::time_point Simulator::NextWake(Clock::time_point now) const {
  Clock::time_point wake = std::min(nextMinute_, now + kLongestSleep);
  if (!outgoing_.empty()) {
    wake = std::min(wake, std::max(outgoing_.front().due, lastDelivery_ + kDeliveryGranularity));
  }
  return wake;
}

bool Simulator::Receive(Clock::time_point now, bool peerGone) {
  std::uint8_t buffer[512];
  const ssize_t n = ::read(device_.fd(), buffer, sizeof buffer);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
  if (n <= 0) return false;
  device_.ReleaseSlave();  // so that the program closing the device shows
  // Bytes of a session already heard from, read after the PC closed it.
  // Closing the device gives it back the settings it had before it was
  // opened, so such bytes were sent at the rate of the session that just
  // ended. The rate is taken before asking whether the PC is still there: a
  // close after the wake-up must not pass the settings it restores off as
  // the session's.
  const int rateNow = device_.PeerRate();
  const bool late = (peerGone || device_.PeerHungUp()) && peerOpen_;
  const int peerRate = late && lastPeerRate_ != 0 ? lastPeerRate_ : rateNow;
  peerOpen_ = true;
  lastHeard_ = now;
  std::vector<std::uint8_t> sent;
  bool hangUp = false;
  for (ssize_t i = 0; i < n && !hangUp; ++i) {
    hangUp = CountByte();
    if (!hangUp) sent.push_back(buffer[i]);
  }
  for (std::uint8_t byte : AsHeard(sent, peerRate, late))
    Hear(byte, now);
  if (hangUp) HangUp();
  return true;
}

std::vector<std::uint8_t> Simulator::AsHeard(const std::vector<std::uint8_t>& sent, int peerRate,
                                             bool late) {
  const int unitRate = kBaudRates[unit_.RateIndex()];
  if (!late) lastPeerRate_ = peerRate;
  if (peerRate == unitRate || sent.empty()) return sent;
  if (peerRate == 0) {
    if (options_.verbose) log_ << "ignored bytes sent at a rate the unit cannot have\n";
    return {};
  }
  // What the unit's UART makes of frames at another rate. Bytes that came in
  // one read count as sent back to back.
  std::vector<std::uint8_t> heard;
  for (const uart::ReceivedByte& got :
       uart::Receive(sent, {peerRate, 0.0}, {{unitRate, 0.0}, 0.5, uart::Resync::FallingEdge}))
    heard.push_back(got.value);
  if (options_.verbose) {
    log_ << sent.size() << " byte(s) sent at " << peerRate << " bit/s reached the unit at "
         << unitRate << " bit/s as " << heard.size() << " byte(s)";
    for (std::uint8_t b : heard)
      log_ << " " << std::hex << int(b) << std::dec;
    log_ << "\n";
  }
  return heard;
}

void Simulator::Hear(std::uint8_t byte, Clock::time_point now) {
  if (options_.verbose) log_ << "heard " << std::hex << int(byte) << std::dec << "\n";
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  UnitModel::Answer answer = unit_.Receive(byte, ms);
  Queue(answer.bytes, now);
  if (options_.stuckByte >= 0 && !answer.bytes.empty()) stuck_ = true;
  Handle(answer.event);
}

void Simulator::Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point now) {
  Clock::time_point due = std::max(now, outgoing_.empty() ? lineFree_ : outgoing_.back().due);
  for (std::uint8_t byte : bytes) {
    due += ByteTime();
    outgoing_.push_back({due, byte});
  }
}

void Simulator::SendDue(Clock::time_point now) {
  if (outgoing_.empty() || now < lastDelivery_ + kDeliveryGranularity) return;
  std::vector<std::uint8_t> batch;
  while (!outgoing_.empty() && outgoing_.front().due <= now) {
    batch.push_back(outgoing_.front().byte);
    lineFree_ = outgoing_.front().due;
    outgoing_.pop_front();
  }
  if (batch.empty()) return;
  std::size_t allowed = batch.size();
  bool hangUp = false;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (CountByte()) {
      allowed = i;
      hangUp = true;
      break;
    }
  }
  if (allowed > 0) {
    // A full buffer on the far side loses bytes, as an unread UART would.
    const ssize_t written = ::write(device_.fd(), batch.data(), allowed);
    (void)written;
  }
  lastDelivery_ = now;
  if (hangUp) HangUp();
}

bool Simulator::CountByte() {
  if (options_.hangupAfter < 0) return false;
  return ++bytesPassed_ > options_.hangupAfter;
}

void Simulator::HangUp() {
  if (options_.verbose) log_ << "hanging up after " << options_.hangupAfter << " bytes\n";
  outgoing_.clear();
  stuck_ = false;
  Handle(unit_.LineDropped());
  device_.Renew();
  device_.SetIdleRate(kBaudRates[unit_.RateIndex()]);
  bytesPassed_ = 0;
  peerOpen_ = false;
  out_ << device_.path() << std::endl;
}

void Simulator::PeerClosed() {
  if (options_.verbose) log_ << "the program closed the device\n";
  peerOpen_ = false;
  stuck_ = false;
  // Whatever was still to go lands in a closed port, or (as on a real line)
  // goes on regardless and reaches the PC if it reopens soon.
  if (!options_.keepSending) outgoing_.clear();
  Handle(unit_.LineDropped());
}

void Simulator::Handle(UnitModel::Event event) {
  switch (event) {
    case UnitModel::Event::None:
      return;
    case UnitModel::Event::Written:
      if (options_.verbose) {
        log_ << "EEPROM written; the unit now listens at " << kBaudRates[unit_.RateIndex()]
             << " bit/s\n";
      }
      break;
    case UnitModel::Event::WriteAbandoned:
      if (options_.verbose) log_ << "a write ended early\n";
      break;
    case UnitModel::Event::Reset:
      if (options_.verbose) log_ << "reset\n";
      break;
  }
  Save();
}

void Simulator::Save() {
  if (options_.eepromFile.empty()) return;
  try {
    SaveEEprom(options_.eepromFile, unit_.eeprom());
  } catch (const EEpromFileError& failure) {
    log_ << "kova-sim: " << failure.what() << "\n";
  }
}

}  // namespace kova::sim
