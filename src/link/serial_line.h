// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kova {

// What a line is opened with. The frame is always 8 data bits, no parity,
// one stop bit, no flow control.
struct LineSettings {
  std::string device;
  int rate = 9600;

  bool operator==(const LineSettings&) const = default;
};

// The line could not be opened or stopped working (device missing, busy, not
// permitted, unplugged). what() says why in words meant for the user.
class LineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A serial line as the unit protocol needs it: one byte at a time in each
// direction. Implementations throw LineError for anything but a timeout.
class SerialLine {
 public:
  virtual ~SerialLine() = default;

  virtual void Open(const LineSettings& settings) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // One received byte 0..255, waiting at most `wait` for it to arrive; -1 when
  // none came. A zero wait only looks at what has already arrived.
  virtual int ReadByte(std::chrono::microseconds wait) = 0;

  // Sends one byte and returns once it has left the PC, so that a pause
  // measured from then is a real gap on the wire.
  virtual void WriteByte(std::uint8_t byte) = 0;

  // Drops everything received and not yet read.
  virtual void DiscardInput() = 0;
};

}  // namespace kova
