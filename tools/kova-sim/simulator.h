// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <iosfwd>

#include "pty_device.h"
#include "sim_options.h"
#include "unit_model.h"

namespace kova::sim {

// Puts the unit model on a pty: reads what the program sends, checks that it
// was sent at the unit's rate, and sends the answers at the speed of the line,
// with the faults the options ask for.
class Simulator {
 public:
  using Clock = std::chrono::steady_clock;

  Simulator(const SimOptions& options, UnitModel& unit, PtyDevice& device, std::ostream& out,
            std::ostream& log);

  // Runs until `stop` becomes true, the program that started the simulator
  // ends (--die-with-parent) or the line stays idle too long (--exit-on-idle).
  void Run(const volatile bool& stop);

 private:
  struct Outgoing {
    Clock::time_point due;  // when its last bit is on the wire
    std::uint8_t byte;
  };

  // Reads what the program sent; false when nobody holds the device.
  bool Receive(Clock::time_point now, bool peerGone);
  // The bytes the unit's UART delivers for what the program sent.
  std::vector<std::uint8_t> AsHeard(const std::vector<std::uint8_t>& sent, int peerRate, bool late);
  void Hear(std::uint8_t byte, Clock::time_point now);
  void Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point now);
  void SendDue(Clock::time_point now);
  void PeerClosed();
  void HangUp();
  void Handle(UnitModel::Event event);
  void Save();
  bool CountByte();  // true when the hang-up fault fires
  Clock::time_point NextWake(Clock::time_point now) const;
  Clock::duration ByteTime() const;

  const SimOptions& options_;
  UnitModel& unit_;
  PtyDevice& device_;
  std::ostream& out_;
  std::ostream& log_;
  std::deque<Outgoing> outgoing_;
  Clock::time_point lineFree_{};
  Clock::time_point lastDelivery_{};
  Clock::time_point lastHeard_;
  Clock::time_point nextMinute_;
  bool peerOpen_ = false;
  // The PC's rate when its bytes were last read with the device open.
  int lastPeerRate_ = 0;
  bool stuck_ = false;  // the transmitter runs on (--stuck)
  long bytesPassed_ = 0;
};

}  // namespace kova::sim
