// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/uart_model.h"

#include <cmath>

namespace kova::uart {
namespace {

constexpr int kBitsPerFrame = 10;  // start, eight data bits, stop
constexpr int kTicksPerBit = 16;
// Where the receiver samples, in ticks from the one that saw the line fall:
// the middle of the start bit, of each data bit and of the stop bit.
constexpr int kStartSample = kTicksPerBit / 2;
constexpr int kFirstDataSample = kStartSample + kTicksPerBit;
constexpr int kStopSample = kStartSample + (kBitsPerFrame - 1) * kTicksPerBit;

// The line as the sender drives it: high while idle, then the frames.
class Line {
 public:
  Line(const std::vector<std::uint8_t>& sent, const UartClock& clock)
      : bitTime_(1.0 / (clock.rate * (1.0 + clock.error))) {
    for (std::uint8_t byte : sent) {
      bits_.push_back(false);
      for (int i = 0; i < 8; ++i)
        bits_.push_back(((byte >> i) & 1) != 0);
      bits_.push_back(true);
    }
    bool previous = true;
    for (std::size_t k = 0; k < bits_.size(); ++k) {
      if (previous && !bits_[k]) fallingEdges_.push_back(static_cast<double>(k) * bitTime_);
      previous = bits_[k];
    }
  }

  bool High(double t) const {
    if (t < 0) return true;
    const double k = std::floor(t / bitTime_);
    if (k >= static_cast<double>(bits_.size())) return true;
    return bits_[static_cast<std::size_t>(k)];
  }

  const std::vector<double>& fallingEdges() const { return fallingEdges_; }

 private:
  double bitTime_;
  std::vector<bool> bits_;
  std::vector<double> fallingEdges_;
};

class Sampler {
 public:
  Sampler(const Line& line, const Receiver& receiver)
      : line_(line),
        tick_(1.0 / (kTicksPerBit * receiver.clock.rate * (1.0 + receiver.clock.error))),
        phase_(receiver.phase) {}

  double Time(long tick) const { return (static_cast<double>(tick) + phase_) * tick_; }
  bool High(long tick) const { return line_.High(Time(tick)); }

  // The first tick after `after` that sees the line low where the tick
  // before saw it high; -1 when the line never falls again. A pulse shorter
  // than a tick may slip between two samples, as it does in a real UART.
  long NextFall(long after) const {
    for (double edge : line_.fallingEdges()) {
      if (edge <= Time(after)) continue;
      const long tick = static_cast<long>(std::ceil(edge / tick_ - phase_));
      if (tick > after && !High(tick) && High(tick - 1)) return tick;
    }
    return -1;
  }

 private:
  const Line& line_;
  double tick_;
  double phase_;
};

}  // namespace

std::vector<ReceivedByte> Receive(const std::vector<std::uint8_t>& sent, const UartClock& sender,
                                  const Receiver& receiver) {
  const Line line(sent, sender);
  const Sampler sampler(line, receiver);
  std::vector<ReceivedByte> received;
  long position = -1;  // the last tick the receiver has looked at
  long start = sampler.NextFall(position);
  while (start >= 0) {
    if (sampler.High(start + kStartSample)) {
      // A glitch, not a start bit: back to waiting for the line to fall.
      position = start + kStartSample;
      start = sampler.NextFall(position);
      continue;
    }
    ReceivedByte byte;
    for (int i = 0; i < 8; ++i) {
      if (sampler.High(start + kFirstDataSample + i * kTicksPerBit))
        byte.value = static_cast<std::uint8_t>(byte.value | (1 << i));
    }
    position = start + kStopSample;
    byte.framingError = !sampler.High(position);
    received.push_back(byte);
    if (byte.framingError && receiver.resync == Resync::LowLevel && !sampler.High(position + 1)) {
      start = position + 1;
    } else {
      start = sampler.NextFall(position);
    }
  }
  return received;
}

std::set<std::uint8_t> PossibleArrivals(std::uint8_t byte, int senderRate, int receiverRate,
                                        double clockTolerance) {
  constexpr int kPhases = 32;
  constexpr int kErrorSteps = 8;  // each side from -tolerance to +tolerance
  std::set<std::uint8_t> arrivals;
  for (int s = 0; s <= kErrorSteps; ++s) {
    const double senderError = clockTolerance * (2.0 * s / kErrorSteps - 1.0);
    for (int r = 0; r <= kErrorSteps; ++r) {
      const double receiverError = clockTolerance * (2.0 * r / kErrorSteps - 1.0);
      for (int p = 0; p < kPhases; ++p) {
        for (Resync resync : {Resync::FallingEdge, Resync::LowLevel}) {
          const Receiver receiver{{receiverRate, receiverError}, (p + 0.5) / kPhases, resync};
          for (const ReceivedByte& got : Receive({byte}, {senderRate, senderError}, receiver))
            arrivals.insert(got.value);
        }
      }
    }
  }
  return arrivals;
}

}  // namespace kova::uart
