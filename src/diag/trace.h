// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kova {

// The trace: lines are formatted only while a sink is attached. Nothing is
// attached by default; the window wires its debug log here, the command line
// its --trace option.
using TraceSink = std::function<void(std::string_view line)>;

void SetTraceSink(TraceSink sink);
bool TraceEnabled();
void Trace(std::string_view line);

// An optional time of day, one blank, the message.
std::string FormatTraceLine(std::string_view message, bool stamp);

// "+++ Program started", "++ Get EEprom" and the like; stamp non-zero puts the time in front.
void Log(std::string_view message, int stamp);

// 16 rows of 16 bytes, each row led by its first address.
void DisplayEEprom(std::span<const std::uint8_t, 256> image);
// Elements 0..79 of the bit array, 8 to a row.
void DisplayBits(std::span<const std::int16_t, 85> bits);
// The verification area bit by bit: bytes 248..254, then 7..9, most significant bit first.
void DisplayEEpromBits(std::span<const std::uint8_t, 256> image);

}  // namespace kova
