// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "image/eeprom_image.h"
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

// A byte of the unit's EEPROM that did not read back as written.
struct ByteDifference {
  int address = 0;
  int expected = 0;  // as written
  int got = 0;       // as read back

  bool operator==(const ByteDifference&) const = default;
};

// Bytes of the transfer done so far, of the bytes it has.
using ByteProgress = std::function<void(int done, int expected)>;

// Each exchange runs on an open link and returns the message to show when it
// failed, nothing when it went through. A line that stops working throws
// LineError.

// Reads the three version texts and the 256 EEPROM bytes. `ver` and `image`
// are replaced only when the whole answer arrived, nothing followed it and
// the version lines are text.
std::optional<Message> GetEEprom(SerialLink& link, VersionTexts& ver, EEpromImage& image,
                                 const ByteProgress& progress = {});

// Sends image bytes 4..255, each followed by the pacing pause. `attempted`
// counts the image bytes handed to the line so far, the one whose write
// failed included (it may have left), so that a caller that catches a
// LineError knows how much of the image the unit may hold.
std::optional<Message> PutEEprom(SerialLink& link, const EEpromImage& image, int& attempted,
                                 const ByteProgress& progress = {});

// Reads the EEPROM back and compares bytes 4..255 with the image, listing
// every byte that differs. A read-back with bytes beyond its 256 was
// shifted by noise: that is unexpected data, and nothing is compared.
std::optional<Message> VerifyEEprom(SerialLink& link, const EEpromImage& image,
                                    std::vector<ByteDifference>& differences,
                                    const ByteProgress& progress = {});

// Tells the unit to reset. Nothing comes back.
void SendReset(SerialLink& link);

}  // namespace kova
