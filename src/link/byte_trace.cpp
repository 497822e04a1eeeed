// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/byte_trace.h"

#include <atomic>
#include <cstdio>

namespace kova {
namespace {

std::atomic<bool> byteTrace{false};

}  // namespace

void SetByteTrace(bool on) {
  byteTrace = on;
}
bool ByteTraceEnabled() {
  return byteTrace;
}

std::string FormatByteTrace(std::chrono::nanoseconds sinceOpen, ByteDirection direction,
                            std::uint8_t byte) {
  const double ms = std::chrono::duration<double, std::milli>(sinceOpen).count();
  char line[48];
  const char arrow = direction == ByteDirection::Sent ? '>' : '<';
  if (byte >= 0x20 && byte < 0x7F) {
    std::snprintf(line, sizeof line, "%10.3f ms %c %02X '%c'", ms, arrow, byte, byte);
  } else {
    std::snprintf(line, sizeof line, "%10.3f ms %c %02X", ms, arrow, byte);
  }
  return line;
}

}  // namespace kova
