// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kova {

// The hex trace of every byte on the line. It is off unless switched on, and
// even then it only writes while a trace sink is attached.
void SetByteTrace(bool on);
bool ByteTraceEnabled();

enum class ByteDirection { Sent, Received };

// "  12.345 ms > 21 '!'": time since the port was opened, the direction
// (">" to the unit, "<" from it), the byte in hex and, when printable, as text.
std::string FormatByteTrace(std::chrono::nanoseconds sinceOpen, ByteDirection direction,
                            std::uint8_t byte);

}  // namespace kova
