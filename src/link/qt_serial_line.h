// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "link/serial_line.h"

class QSerialPort;

namespace kova {

// Lets go of the device the open line holds (its exclusive mode and its lock
// file) when the process is about to end without closing it: safe to call
// from a signal handler.
void ReleaseHeldPortForExit() noexcept;

// A SerialLine on QSerialPort. It blocks in the port's own waits with a
// deadline, so it needs no event loop; create and use it on one thread. It
// holds the device from its first open until it is destroyed (or opens
// another device), so that a Put's reopening at the unit's new rate cannot
// let another program in between.
class QtSerialLine final : public SerialLine {
 public:
  QtSerialLine();
  ~QtSerialLine() override;

  void Open(const LineSettings& settings) override;
  void Close() override;
  bool IsOpen() const override;
  int ReadByte(std::chrono::microseconds wait) override;
  void WriteByte(std::uint8_t byte) override;
  void DiscardInput() override;

 private:
  // Throws when the port reports anything worse than a timeout.
  void ThrowIfBroken();
  [[noreturn]] void ThrowOpenFailure(const LineSettings& settings);

  // Takes the device for this line, once for all its opens: a lock on the
  // device itself, which every spelling of its path reaches. Throws when
  // another program has it.
  void LockDevice(const std::string& device);
  void Unlock();

  std::unique_ptr<QSerialPort> port_;
  std::string locked_;  // the device held
  int lockFd_ = -1;
};

}  // namespace kova
