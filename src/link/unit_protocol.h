// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "image/eeprom_image.h"
#include "link/outcome.h"
#include "link/serial_link.h"

namespace kova {

// The unit's single-character commands and what follows them on the wire.
namespace command {
constexpr std::uint8_t kVersion = 'v';
constexpr std::uint8_t kReadEEprom = '#';
constexpr std::uint8_t kWriteEEprom = '!';
constexpr std::uint8_t kReset = 'R';
}  // namespace command

constexpr int kEEpromSize = 256;
constexpr int kFirstWrittenByte = 4;  // bytes 0..3 are the unit's elapsed-time counter
constexpr int kWrittenBytes = kEEpromSize - kFirstWrittenByte;

// The longest version line taken: the unit's are a few words. A line that
// runs on without a carriage return is a stuck transmitter, not a version.
constexpr std::size_t kMaxVersionLine = 80;

using VersionTexts = std::array<std::string, 3>;

// How long after the last byte of a write that was cut short the unit may
// still be in write mode, storing whatever comes as configuration. A guess:
// the units we can test give a write up after 2 s without a byte, others are
// not known; the longer wait costs only a pause after an interrupted Put.
constexpr std::chrono::milliseconds kWriteModeLasts{5000};

// The message of an exchange that ended in one of the unit's own failures
// (no answer, unexpected data, differences).
Message MessageFor(Outcome outcome);

// A byte a version line may hold: printable ASCII. Anything else in a line
// (noise, a shifted acknowledge, a byte sent at another rate) makes the
// answer unexpected data.
constexpr bool IsVersionByte(int byte) {
  return byte >= 0x20 && byte <= 0x7E;
}

// A byte of the unit's EEPROM that did not read back as written.
struct ByteDifference {
  int address = 0;
  int expected = 0;  // as written
  int got = 0;       // as read back

  bool operator==(const ByteDifference&) const = default;
};

// The bytes a write sets (all but the elapsed-time counter) where `got` is
// not as `expected`, in address order.
std::vector<ByteDifference> ImageDifferences(const EEpromImage& expected, const EEpromImage& got);

// Bytes of the transfer done so far, of the bytes it has.
using ByteProgress = std::function<void(int done, int expected)>;

// Each exchange runs on an open link and returns how it ended. A line that
// stops working throws LineError.
//
// What counts as an answer, for every exchange: the command goes only on a
// line that has fallen quiet; then the acknowledge (any byte); then, for the
// version, three lines of printable ASCII each ended by a carriage return
// within kMaxVersionLine, for a read exactly 256 bytes; then quiet. Anything
// else is unexpected data.

// Asks for the version. A line that times out is kept as far as it came (the
// unit's documented behaviour); `whole` is then false, and the probe does not
// count such an answer.
Outcome AskVersion(SerialLink& link, VersionTexts& ver, bool* whole = nullptr);

// Reads the three version texts and the EEPROM, twice: `ver` and `image` are
// replaced only when the whole answer arrived by the rule above and both
// reads agree. Two reads that differ are unexpected data.
Outcome GetEEprom(SerialLink& link, VersionTexts& ver, EEpromImage& image,
                  const ByteProgress& progress = {});

// Sends image bytes 4..255, each followed by the pacing pause. `attempted`
// counts the image bytes handed to the line so far, the one whose write
// failed included (it may have left), so that a caller that catches a
// LineError knows how much of the image the unit may hold.
// `acknowledged` (when given) turns true once the unit has acknowledged the
// write command: from then on it takes what follows as its configuration.
Outcome PutEEprom(SerialLink& link, const EEpromImage& image, int& attempted,
                  const ByteProgress& progress = {}, bool* acknowledged = nullptr);

// Reads the EEPROM back and compares bytes 4..255 with the image, listing
// every byte that differs. A read-back with bytes beyond its 256 was
// shifted by noise: that is unexpected data, and nothing is compared. A
// read-back that differs is read a second time, and the differences count
// only when both reads agree.
Outcome VerifyEEprom(SerialLink& link, const EEpromImage& image,
                     std::vector<ByteDifference>& differences, const ByteProgress& progress = {});

// Tells the unit to reset, on a quiet line. Nothing comes back.
Outcome SendReset(SerialLink& link);

}  // namespace kova
