// SPDX-License-Identifier: GPL-3.0-or-later
#include "diag/trace.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace kova {
namespace {

std::mutex sinkMutex;
TraceSink sink;  // guarded by sinkMutex: device work traces from its worker thread

std::string Hex(unsigned value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
  return text;
}

std::string Bits(std::uint8_t byte) {
  std::string text;
  for (int j = 0; j < 8; ++j)
    text += (byte & (0x80 >> j)) ? '1' : '0';
  return text;
}

}  // namespace

void SetTraceSink(TraceSink newSink) {
  std::lock_guard lock(sinkMutex);
  sink = std::move(newSink);
}

bool TraceEnabled() {
  std::lock_guard lock(sinkMutex);
  return static_cast<bool>(sink);
}

void Trace(std::string_view line) {
  std::lock_guard lock(sinkMutex);
  if (sink) sink(line);
}

std::string FormatTraceLine(std::string_view message, bool stamp) {
  std::string line;
  if (stamp) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char time[64];
    if (std::strftime(time, sizeof time, "%X", &local) > 0) line = time;
  }
  line += ' ';
  line += message;
  return line;
}

void Log(std::string_view message, int stamp) {
  if (!TraceEnabled()) return;
  Trace(FormatTraceLine(message, stamp != 0));
}

void DisplayEEprom(std::span<const std::uint8_t, 256> image) {
  if (!TraceEnabled()) return;
  for (unsigned row = 0; row < 16; ++row) {
    std::string line = Hex(row * 16) + ":";
    // Appended piece by piece: `" " + Hex(...)` builds a temporary that GCC 12
    // at -O3 wrongly reports as an overlapping copy (-Wrestrict).
    for (unsigned col = 0; col < 16; ++col) {
      line += ' ';
      line += Hex(image[row * 16 + col]);
    }
    Trace(line);
  }
}

void DisplayBits(std::span<const std::int16_t, 85> bits) {
  if (!TraceEnabled()) return;
  for (unsigned row = 0; row < 10; ++row) {
    std::string line = "bits " + std::to_string(row * 8) + ":";
    for (unsigned j = 0; j < 8; ++j)
      line += bits[row * 8 + j] ? " 1" : " 0";
    Trace(line);
  }
}

void DisplayEEpromBits(std::span<const std::uint8_t, 256> image) {
  if (!TraceEnabled()) return;
  static constexpr std::array<int, 10> kOrder{248, 249, 250, 251, 252, 253, 254, 7, 8, 9};
  for (int address : kOrder)
    Trace("byte " + std::to_string(address) + ": " + Bits(image[address]));
}

}  // namespace kova
