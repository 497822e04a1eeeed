// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <set>
#include <vector>

// What a UART set to one rate makes of bytes sent at another: the line is
// followed bit by bit, as a receiver samples it, so that a byte sent at the
// wrong rate turns into whatever a real UART would hand its program.
namespace kova::uart {

// One side's clock: the nominal rate and how far its oscillator is off
// (+0.02 runs 2 % fast).
struct UartClock {
  int rate = 9600;
  double error = 0.0;
};

// How a receiver looks for the next start bit after a frame whose stop bit
// was low. Every receiver waits for a falling edge when the line was idle;
// some, after a framing error, take a line that is still low as the next
// start bit at once.
enum class Resync { FallingEdge, LowLevel };

// The receiving UART: it samples the line 16 times per bit; `phase` (0..1) is
// where its first sample falls within one such tick after the line went idle.
struct Receiver {
  UartClock clock;
  double phase = 0.5;
  Resync resync = Resync::FallingEdge;
};

// A byte as the receiver hands it over. A UART delivers the byte of a frame
// whose stop bit was low too, only flagged; a program may ignore the flag, so
// such bytes count as heard.
struct ReceivedByte {
  std::uint8_t value = 0;
  bool framingError = false;

  bool operator==(const ReceivedByte&) const = default;
};

// The bytes `sent` back to back at `sender` (start bit, 8 data bits least
// significant first, one stop bit), with the line idle before and after, as
// `receiver` delivers them.
std::vector<ReceivedByte> Receive(const std::vector<std::uint8_t>& sent, const UartClock& sender,
                                  const Receiver& receiver);

// Every byte a receiver at `receiverRate` may make of `byte` sent at
// `senderRate`, over receiver phases and both clocks off by up to
// `clockTolerance` (0.02) either way, with either way of resynchronising.
std::set<std::uint8_t> PossibleArrivals(std::uint8_t byte, int senderRate, int receiverRate,
                                        double clockTolerance = 0.02);

}  // namespace kova::uart
