// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/unit_protocol.h"

#include "link/link_messages.h"

namespace kova {
namespace {

void Report(const ByteProgress& progress, int done, int expected) {
  if (progress) progress(done, expected);
}

// The unit's version lines are text. A control character in one (other than
// a tab or a line feed) is a byte of something else: most often the
// acknowledge, pushed into the line by noise that came ahead of it.
bool IsText(const std::string& line) {
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F) return false;
  }
  return true;
}

// The acknowledge and the 256 EEPROM bytes of a read, into `bytes`; then
// the guard that nothing follows. The answer has no checksum: bytes beyond
// it mean that something shifted it.
std::optional<Message> ReadEEprom(SerialLink& link, EEpromImage& bytes,
                                  const ByteProgress& progress) {
  if (link.PastDeadline()) return CommunicationsError();  // the version lines took it all
  link.SendCommand(command::kReadEEprom);
  if (link.ComRx() == -1) return CommunicationsError();
  for (int i = 0; i < kEEpromSize; ++i) {
    const int byte = link.ComRx();
    if (byte == -1) return CommunicationsError();
    bytes[i] = static_cast<std::uint8_t>(byte);
    Report(progress, i + 1, kEEpromSize);
  }
  if (!link.StaysQuietAfterAnswer()) return UnexpectedResponse();
  return std::nullopt;
}

}  // namespace

std::optional<Message> GetEEprom(SerialLink& link, VersionTexts& ver, EEpromImage& image,
                                 const ByteProgress& progress) {
  Report(progress, 0, kEEpromSize);
  link.SendCommand(command::kVersion);
  if (link.ComRx() == -1) return CommunicationsError();
  VersionTexts newVer;
  for (std::string& line : newVer) {
    // A short line is kept as it came; an endless one is not a version.
    std::optional<std::string> text = link.ComRxString(kMaxVersionLine);
    if (!text || !IsText(*text)) return UnexpectedResponse();
    line = std::move(*text);
  }

  EEpromImage newImage{};
  if (std::optional<Message> failure = ReadEEprom(link, newImage, progress)) return failure;
  ver = newVer;
  image = newImage;
  return std::nullopt;
}

std::optional<Message> PutEEprom(SerialLink& link, const EEpromImage& image, int& attempted,
                                 const ByteProgress& progress) {
  attempted = 0;
  Report(progress, 0, kWrittenBytes);
  link.SendCommand(command::kWriteEEprom);
  if (link.ComRx() == -1) return CommunicationsError();
  for (int i = kFirstWrittenByte; i < kEEpromSize; ++i) {
    // Between bytes, so that `attempted` counts exactly what went out.
    link.StopIfCancelled();
    ++attempted;
    link.PaceAfter(link.Send(image[i]));
    Report(progress, i - kFirstWrittenByte + 1, kWrittenBytes);
  }
  return std::nullopt;
}

std::optional<Message> VerifyEEprom(SerialLink& link, const EEpromImage& image,
                                    std::vector<ByteDifference>& differences,
                                    const ByteProgress& progress) {
  differences.clear();
  Report(progress, 0, kEEpromSize);
  EEpromImage read{};
  if (std::optional<Message> failure = ReadEEprom(link, read, progress)) return failure;
  // The elapsed-time counter is the unit's own and moves on by itself.
  for (int i = kFirstWrittenByte; i < kEEpromSize; ++i) {
    if (read[i] != image[i]) differences.push_back({i, image[i], read[i]});
  }
  if (!differences.empty()) return VerificationError();
  return std::nullopt;
}

void SendReset(SerialLink& link) {
  link.SendCommand(command::kReset);
}

}  // namespace kova
