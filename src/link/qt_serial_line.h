#pragma once

#include <memory>

#include "link/serial_line.h"

class QSerialPort;

namespace kova {

// A SerialLine on QSerialPort. It blocks in the port's own waits with a
// deadline, so it needs no event loop; create and use it on one thread.
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

  std::unique_ptr<QSerialPort> port_;
};

}  // namespace kova
