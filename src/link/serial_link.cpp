#include "link/serial_link.h"

#include "diag/trace.h"
#include "link/byte_trace.h"

namespace kova {
namespace {

constexpr int kBitsPerByte = 10;  // start, eight data bits, stop
constexpr char kCarriageReturn = 13;

std::chrono::microseconds CeilMicros(Clock::duration d) {
  return std::chrono::ceil<std::chrono::microseconds>(d);
}

}  // namespace

void SerialLink::ComOpen(const LineSettings& settings) {
  if (line_.IsOpen()) line_.Close();
  settings_ = settings;
  line_.Open(settings);
  openedAt_ = clock_.Now();
  ComRxFlush();
}

void SerialLink::ComClose() noexcept {
  if (!line_.IsOpen()) return;
  try {
    line_.DiscardInput();
  } catch (const LineError&) {
    // A line that stopped working still has to be closed.
  }
  line_.Close();
}

void SerialLink::ComRxFlush() {
  line_.DiscardInput();
}

int SerialLink::ComRx() {
  const Clock::time_point t0 = clock_.Now();
  std::chrono::microseconds wait{0};
  for (;;) {
    const int byte = line_.ReadByte(wait);
    if (byte >= 0) {
      TraceReceived(byte);
      return byte;
    }
    // The wait goes on while at most the timeout has passed, so a missing
    // byte is given up strictly after it. Each wait ends just past that
    // point, so the loop always ends.
    const Clock::duration elapsed = clock_.Now() - t0;
    if (elapsed > timings_.rxTimeout) return -1;
    wait = CeilMicros(timings_.rxTimeout - elapsed) + std::chrono::microseconds(1);
  }
}

std::string SerialLink::ComRxString() {
  std::string text;
  for (;;) {
    const int byte = ComRx();
    if (byte < 0 || byte == kCarriageReturn) return text;
    text += static_cast<char>(byte);
  }
}

Clock::time_point SerialLink::Send(std::uint8_t byte) {
  line_.WriteByte(byte);
  const Clock::time_point left = clock_.Now();
  TraceSent(byte);
  return left;
}

void SerialLink::PaceAfter(Clock::time_point left) {
  clock_.SleepUntil(left + timings_.pacing);
  line_.DiscardInput();
}

bool SerialLink::StaysQuietFor(Clock::duration span) {
  const Clock::time_point end = clock_.Now() + span;
  for (Clock::time_point now = clock_.Now(); now < end; now = clock_.Now()) {
    const int byte = line_.ReadByte(CeilMicros(end - now));
    if (byte >= 0) {
      TraceReceived(byte);
      line_.DiscardInput();
      return false;
    }
  }
  return true;
}

Clock::duration SerialLink::CharTime() const {
  if (settings_.rate <= 0) return {};
  return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(kBitsPerByte)) /
         settings_.rate;
}

void SerialLink::TraceSent(std::uint8_t byte) {
  ++sent_;
  if (ByteTraceEnabled())
    Trace(FormatByteTrace(clock_.Now() - openedAt_, ByteDirection::Sent, byte));
}

void SerialLink::TraceReceived(int byte) {
  ++received_;
  if (ByteTraceEnabled()) {
    Trace(FormatByteTrace(clock_.Now() - openedAt_, ByteDirection::Received,
                          static_cast<std::uint8_t>(byte)));
  }
}

}  // namespace kova
