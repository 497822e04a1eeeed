#include "link/unit_protocol.h"

#include "link/link_messages.h"

namespace kova {
namespace {

// How long the line must stay silent after the last EEPROM byte before the
// answer is trusted: a few bytes' time, plus slack for adapters that hand
// bytes over in packets.
Clock::duration QuietAfterAnswer(const SerialLink& link) {
  return 4 * link.CharTime() + std::chrono::milliseconds(5);
}

void Report(const ByteProgress& progress, int done, int expected) {
  if (progress) progress(done, expected);
}

}  // namespace

std::optional<Message> GetEEprom(SerialLink& link, VersionTexts& ver, EEpromImage& image,
                                 const ByteProgress& progress) {
  Report(progress, 0, kEEpromSize);
  link.Send(command::kVersion);
  if (link.ComRx() == -1) return CommunicationsError();
  VersionTexts newVer;
  for (std::string& line : newVer)
    line = link.ComRxString();  // a short line is kept as it came

  link.Send(command::kReadEEprom);
  if (link.ComRx() == -1) return CommunicationsError();
  EEpromImage newImage{};
  for (int i = 0; i < kEEpromSize; ++i) {
    const int byte = link.ComRx();
    if (byte == -1) return CommunicationsError();
    newImage[i] = static_cast<std::uint8_t>(byte);
    Report(progress, i + 1, kEEpromSize);
  }
  // The answer has no checksum: bytes beyond it mean that something shifted
  // it, and an image taken from a shifted answer would be nonsense.
  if (!link.StaysQuietFor(QuietAfterAnswer(link))) return UnexpectedResponse();

  ver = newVer;
  image = newImage;
  return std::nullopt;
}

std::optional<Message> PutEEprom(SerialLink& link, const EEpromImage& image,
                                 const ByteProgress& progress) {
  Report(progress, 0, kWrittenBytes);
  link.Send(command::kWriteEEprom);
  if (link.ComRx() == -1) return CommunicationsError();
  for (int i = kFirstWrittenByte; i < kEEpromSize; ++i) {
    link.PaceAfter(link.Send(image[i]));
    Report(progress, i - kFirstWrittenByte + 1, kWrittenBytes);
  }
  return std::nullopt;
}

std::optional<Message> VerifyEEprom(SerialLink& link, const EEpromImage& image,
                                    const ByteProgress& progress) {
  Report(progress, 0, kEEpromSize);
  link.ComRxFlush();
  link.Send(command::kReadEEprom);
  if (link.ComRx() == -1) return CommunicationsError();
  for (int i = 0; i < kEEpromSize; ++i) {
    const int byte = link.ComRx();
    if (byte == -1) return CommunicationsError();
    // The elapsed-time counter is the unit's own and moves on by itself.
    if (i >= kFirstWrittenByte && byte != image[i]) return VerificationError();
    Report(progress, i + 1, kEEpromSize);
  }
  return std::nullopt;
}

void SendReset(SerialLink& link) {
  link.Send(command::kReset);
}

}  // namespace kova
