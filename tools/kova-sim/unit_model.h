// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "image/eeprom_image.h"

namespace kova::sim {

// Ways the simulated unit can misbehave, to try the PC side against.
struct UnitFaults {
  bool silent = false;  // hears nothing, answers nothing
  std::string noAck{};  // these commands get no acknowledge and no answer at all
  int stopAfter = -1;   // a read sends only this many EEPROM bytes
  int corruptAt = -1;   // a write stores this address inverted (a cell that does not take it)
  int stray = 0;        // junk bytes ahead of every answer (before its acknowledge)
  int afterAck = 0;     // junk bytes right after every acknowledge
  int trail = 0;        // junk bytes after every answer
  int ackByte = 0x06;   // what the unit acknowledges a command with
  // How long a write waits for its next byte before the unit gives it up.
  std::chrono::milliseconds writeTimeout{2000};
  // A write goes on when the PC closes the line (only the timeout ends it).
  bool writeOutlivesClose = false;
};

// The unit's side of the protocol, without any notion of a line: bytes in,
// bytes out. The simulator puts it on a pseudo-terminal; tests drive it
// directly.
class UnitModel {
 public:
  static constexpr std::uint8_t kAcknowledge = 0x06;
  static constexpr std::uint8_t kStrayByte = 0xE5;

  enum class Event { None, Written, WriteAbandoned, Reset };
  struct Answer {
    std::vector<std::uint8_t> bytes;
    Event event = Event::None;
  };

  UnitModel(const EEpromImage& eeprom, std::array<std::string, 3> versions, UnitFaults faults = {});

  // One byte from the PC, received `now` (any steady time base); what the
  // unit sends back, and what happened to it.
  Answer Receive(std::uint8_t byte, std::chrono::milliseconds now);
  // The PC closed the line: a write in progress ends where it stands,
  // unless it outlives a close (then only its timeout ends it).
  Event LineDropped();
  // The line went away for good (a hang-up): a write ends where it stands.
  Event WriteGivenUp();
  // The elapsed-time counter: minutes in byte 0 (0..59), hours in bytes 1..3.
  void AdvanceMinutes(long minutes);

  // The unit's line rate, as an index into the rate list. It starts as the
  // EEPROM selects and changes after each write and each reset.
  int RateIndex() const { return rateIndex_; }
  void SetRateIndex(int index) { rateIndex_ = index; }
  const EEpromImage& eeprom() const { return eeprom_; }
  bool Writing() const { return writeAt_ >= 0; }

 private:
  std::vector<std::uint8_t> Command(std::uint8_t command);
  Event Store(std::uint8_t byte);
  std::vector<std::uint8_t> AnswerVersion();
  std::vector<std::uint8_t> AnswerRead();
  int RateFromEEprom() const;

  EEpromImage eeprom_;
  std::array<std::string, 3> versions_;
  UnitFaults faults_;
  int rateIndex_;
  int writeAt_ = -1;  // next address of a write in progress
  std::chrono::milliseconds lastByte_{};
};

}  // namespace kova::sim
