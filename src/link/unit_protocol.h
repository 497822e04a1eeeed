#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

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

using VersionTexts = std::array<std::string, 3>;
// Bytes of the transfer done so far, of the bytes it has.
using ByteProgress = std::function<void(int done, int expected)>;

// Each exchange runs on an open link and returns the message to show when it
// failed, nothing when it went through. A line that stops working throws
// LineError.

// Reads the three version texts and the 256 EEPROM bytes. `ver` and `image`
// are replaced only when the whole answer arrived and nothing followed it.
std::optional<Message> GetEEprom(SerialLink& link, VersionTexts& ver, EEpromImage& image,
                                 const ByteProgress& progress = {});

// Sends image bytes 4..255, each followed by the pacing pause.
std::optional<Message> PutEEprom(SerialLink& link, const EEpromImage& image,
                                 const ByteProgress& progress = {});

// Reads the EEPROM back and compares bytes 4..255 with the image.
std::optional<Message> VerifyEEprom(SerialLink& link, const EEpromImage& image,
                                    const ByteProgress& progress = {});

// Tells the unit to reset. Nothing comes back.
void SendReset(SerialLink& link);

}  // namespace kova
