// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/unit_protocol.h"

#include "link/link_messages.h"

namespace kova {
namespace {

constexpr int kCarriageReturn = 13;

void Report(const ByteProgress& progress, int done, int expected) {
  if (progress) progress(done, expected);
}

// One version line: printable bytes up to a carriage return. A timeout ends
// the line as far as it came (`whole` then turns false); anything not
// printable, or a line longer than any version, is no version line.
bool VersionLine(SerialLink& link, std::string& text, bool& whole) {
  text.clear();
  for (;;) {
    const int byte = link.ComRx();
    if (byte == -1) {
      whole = false;
      return true;
    }
    if (byte == kCarriageReturn) return true;
    if (!IsVersionByte(byte) || text.size() >= kMaxVersionLine) return false;
    text += static_cast<char>(byte);
  }
}

// The acknowledge and the 256 EEPROM bytes of a read, into `bytes`, then the
// guard that nothing follows. The answer has no checksum: bytes beyond it
// mean that something shifted it. `done` counts the bytes of earlier reads
// for the progress.
Outcome ReadEEprom(SerialLink& link, EEpromImage& bytes, const ByteProgress& progress, int done,
                   int expected) {
  if (link.PastDeadline()) return Outcome::NoAnswer;  // the earlier answers took it all
  if (!link.SendCommand(command::kReadEEprom)) return Outcome::UnexpectedData;
  if (link.ComRx() == -1) return Outcome::NoAnswer;
  for (int i = 0; i < kEEpromSize; ++i) {
    const int byte = link.ComRx();
    if (byte == -1) return Outcome::NoAnswer;
    bytes[i] = static_cast<std::uint8_t>(byte);
    Report(progress, done + i + 1, expected);
  }
  if (!link.StaysQuietAfterAnswer()) return Outcome::UnexpectedData;
  return Outcome::None;
}

// The elapsed-time counter: minutes in byte 0, hours in bytes 1..3 (lowest first).
long ElapsedMinutes(const EEpromImage& image) {
  return image[0] + 60L * (image[1] | image[2] << 8 | image[3] << 16);
}

}  // namespace

Message MessageFor(Outcome outcome) {
  switch (outcome) {
    case Outcome::NoAnswer:
      return CommunicationsError();
    case Outcome::UnexpectedData:
      return UnexpectedResponse();
    case Outcome::Differences:
      return VerificationError();
    default:
      break;
  }
  return {};
}

Outcome AskVersion(SerialLink& link, VersionTexts& ver, bool* whole) {
  if (!link.SendCommand(command::kVersion)) return Outcome::UnexpectedData;
  if (link.ComRx() == -1) return Outcome::NoAnswer;
  VersionTexts lines;
  bool complete = true;
  for (std::string& line : lines) {
    if (!VersionLine(link, line, complete)) return Outcome::UnexpectedData;
  }
  if (!link.StaysQuietAfterAnswer()) return Outcome::UnexpectedData;
  ver = lines;
  if (whole) *whole = complete;
  return Outcome::None;
}

Outcome GetEEprom(SerialLink& link, VersionTexts& ver, EEpromImage& image,
                  const ByteProgress& progress) {
  constexpr int kExpected = 2 * kEEpromSize;
  Report(progress, 0, kExpected);
  VersionTexts newVer;
  if (const Outcome asked = AskVersion(link, newVer); asked != Outcome::None) return asked;
  // The answer has no checksum: noise that replaces or makes up for a byte
  // shows only as a second read that differs from the first.
  EEpromImage first{}, second{};
  if (const Outcome read = ReadEEprom(link, first, progress, 0, kExpected); read != Outcome::None)
    return read;
  if (const Outcome read = ReadEEprom(link, second, progress, kEEpromSize, kExpected);
      read != Outcome::None)
    return read;
  if (!ImageDifferences(first, second).empty()) return Outcome::UnexpectedData;
  // The unit's elapsed-time counter may tick between the two reads, by one
  // minute; anything else is noise.
  const long tick = ElapsedMinutes(second) - ElapsedMinutes(first);
  if (tick != 0 && tick != 1) return Outcome::UnexpectedData;
  ver = newVer;
  image = second;
  return Outcome::None;
}

Outcome PutEEprom(SerialLink& link, const EEpromImage& image, int& attempted,
                  const ByteProgress& progress, bool* acknowledged) {
  attempted = 0;
  if (acknowledged) *acknowledged = false;
  Report(progress, 0, kWrittenBytes);
  if (!link.SendCommand(command::kWriteEEprom)) return Outcome::UnexpectedData;
  if (link.ComRx() == -1) return Outcome::NoAnswer;
  if (acknowledged) *acknowledged = true;
  for (int i = kFirstWrittenByte; i < kEEpromSize; ++i) {
    // Between bytes, so that `attempted` counts exactly what went out.
    link.StopIfCancelled();
    ++attempted;
    const Clock::time_point left = link.Send(image[i]);
    Report(progress, i - kFirstWrittenByte + 1, kWrittenBytes);
    link.PaceAfter(left);
  }
  return Outcome::None;
}

std::vector<ByteDifference> ImageDifferences(const EEpromImage& expected, const EEpromImage& got) {
  // The elapsed-time counter is the unit's own and moves on by itself.
  std::vector<ByteDifference> differences;
  for (int i = kFirstWrittenByte; i < kEEpromSize; ++i) {
    if (got[i] != expected[i]) differences.push_back({i, expected[i], got[i]});
  }
  return differences;
}

Outcome VerifyEEprom(SerialLink& link, const EEpromImage& image,
                     std::vector<ByteDifference>& differences, const ByteProgress& progress) {
  differences.clear();
  Report(progress, 0, kEEpromSize);
  EEpromImage read{};
  if (const Outcome got = ReadEEprom(link, read, progress, 0, kEEpromSize); got != Outcome::None)
    return got;
  if (ImageDifferences(image, read).empty()) return Outcome::None;
  // A difference that noise made up would not come back the same.
  EEpromImage again{};
  if (const Outcome got = ReadEEprom(link, again, {}, 0, kEEpromSize); got != Outcome::None)
    return got;
  if (!ImageDifferences(read, again).empty()) return Outcome::UnexpectedData;
  differences = ImageDifferences(image, read);
  return Outcome::Differences;
}

Outcome SendReset(SerialLink& link) {
  if (!link.SendCommand(command::kReset)) return Outcome::UnexpectedData;
  return Outcome::None;
}

}  // namespace kova
