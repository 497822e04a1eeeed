// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/serial_link.h"

#include <algorithm>

#include "diag/trace.h"
#include "link/byte_trace.h"

namespace kova {
namespace {

using namespace std::chrono_literals;

constexpr int kBitsPerByte = 10;  // start, eight data bits, stop
constexpr char kCarriageReturn = 13;
// How many times the longest gap inside an answer the line must then stay
// silent: a unit that sends slowly sends a byte beyond the answer just as
// slowly, and a loaded PC sees a gap a little longer than the last.
constexpr int kGapsOfSilence = 2;
// The longest single wait while someone may ask the operation to stop.
constexpr std::chrono::microseconds kStopPoll = 20ms;

std::chrono::microseconds CeilMicros(Clock::duration d) {
  return std::chrono::ceil<std::chrono::microseconds>(d);
}

}  // namespace

void SerialLink::ComOpen(const LineSettings& settings) {
  ComClose();
  settings_ = settings;
  line_.Open(settings);
  openedAt_ = clock_.Now();
  lastHeard_ = openedAt_;
  ComRxFlush();
}

void SerialLink::ComClose() noexcept {
  if (!line_.IsOpen()) return;
  LetLastByteOut();
  try {
    line_.DiscardInput();
  } catch (const LineError&) {
    // A line that stopped working still has to be closed.
  }
  line_.Close();
}

void SerialLink::LetLastByteOut() noexcept {
  if (!lastSent_) return;
  // Closing may put the port's old rate back at once; a byte still in the
  // adapter would then reach the unit garbled.
  clock_.SleepUntil(*lastSent_ + CharTime());
  lastSent_.reset();
}

void SerialLink::ComRxFlush() {
  line_.DiscardInput();
}

std::chrono::microseconds SerialLink::Slice(std::chrono::microseconds wait) const {
  return cancel_ ? std::min(wait, kStopPoll) : wait;
}

void SerialLink::SleepUntil(Clock::time_point when) {
  for (Clock::time_point now = clock_.Now(); now < when; now = clock_.Now()) {
    StopIfCancelled();
    clock_.SleepUntil(cancel_ ? std::min<Clock::time_point>(when, now + kStopPoll) : when);
  }
  StopIfCancelled();
}

int SerialLink::ComRx() {
  const Clock::time_point t0 = clock_.Now();
  std::chrono::microseconds wait{0};
  for (;;) {
    StopIfCancelled();
    const int byte = line_.ReadByte(wait);
    const Clock::time_point now = clock_.Now();
    if (byte >= 0) {
      // Only a byte waited for shows the unit's pace: one that was already
      // waiting arrived earlier, and its gap is the PC's own delay.
      const bool waitedFor = wait.count() > 0;
      if (lastReceived_ && waitedFor) longestGap_ = std::max(longestGap_, now - *lastReceived_);
      lastReceived_ = now;
      lastHeard_ = now;
      TraceReceived(byte);
      return byte;
    }
    // The wait goes on while at most the timeout has passed, so a missing
    // byte is given up strictly after it. Each wait ends just past that
    // point, so the loop always ends.
    const Clock::duration elapsed = now - t0;
    if (elapsed > timings_.rxTimeout) return -1;
    if (deadline_ && now >= *deadline_) return -1;
    Clock::duration left = timings_.rxTimeout - elapsed;
    if (deadline_) left = std::min(left, *deadline_ - now);
    wait = Slice(CeilMicros(left) + std::chrono::microseconds(1));
  }
}

std::optional<std::string> SerialLink::ComRxString(std::size_t maxLength) {
  std::string text;
  for (;;) {
    const int byte = ComRx();
    if (byte < 0 || byte == kCarriageReturn) return text;
    if (text.size() == maxLength) return std::nullopt;
    text += static_cast<char>(byte);
  }
}

Clock::time_point SerialLink::Send(std::uint8_t byte) {
  line_.WriteByte(byte);
  const Clock::time_point left = clock_.Now();
  lastSent_ = left;
  TraceSent(byte);
  return left;
}

bool SerialLink::SendCommand(std::uint8_t command) {
  // Two bytes' time with nothing is the end of whatever was under way: the
  // unit sends an answer's bytes back to back, and ahead of each command the
  // answer before it has had its own guard.
  Clock::duration bound = timings_.rxTimeout;
  if (deadline_)
    bound = std::max(Clock::duration::zero(), std::min(bound, *deadline_ - clock_.Now()));
  if (!WaitForQuiet(2 * CharTime() + 1ms, bound)) return false;
  StopIfCancelled();
  Send(command);
  lastReceived_.reset();
  longestGap_ = {};
  return true;
}

void SerialLink::PaceAfter(Clock::time_point left) {
  // Not cut short by a stop: the byte is on its way to the unit either way,
  // and the unit takes this pause to store it. Dropping the input is done
  // inside the pause, so that the gap on the wire is the pause and no more.
  line_.DiscardInput();
  clock_.SleepUntil(left + timings_.pacing);
}

bool SerialLink::WaitForQuiet(Clock::duration quiet, Clock::duration bound) {
  const Clock::time_point giveUp = clock_.Now() + bound;
  for (;;) {
    StopIfCancelled();
    const Clock::time_point now = clock_.Now();
    const Clock::time_point quietAt = lastHeard_ + quiet;
    if (now >= quietAt) return true;
    if (now >= giveUp) return false;
    const int byte = line_.ReadByte(Slice(CeilMicros(std::min(quietAt, giveUp) - now)));
    if (byte >= 0) {
      TraceReceived(byte);
      lastHeard_ = clock_.Now();
    }
  }
}

bool SerialLink::StaysQuietFor(Clock::duration span) {
  const Clock::time_point end = clock_.Now() + span;
  for (Clock::time_point now = clock_.Now(); now < end; now = clock_.Now()) {
    StopIfCancelled();
    const int byte = line_.ReadByte(Slice(CeilMicros(end - now)));
    if (byte >= 0) {
      TraceReceived(byte);
      lastHeard_ = clock_.Now();
      return false;
    }
  }
  return true;
}

Clock::duration SerialLink::QuietAfterAnswer() const {
  // The answer's own pace, and never less than a few bytes' time plus a
  // little for adapters that hand bytes over in packets: an adapter that
  // holds bytes back for longer shows it in the gaps it leaves.
  const Clock::duration span =
      std::max<Clock::duration>(4 * CharTime() + 2ms, kGapsOfSilence * longestGap_);
  return std::min<Clock::duration>(span, timings_.rxTimeout);
}

bool SerialLink::StaysQuietAfterAnswer() {
  return StaysQuietFor(QuietAfterAnswer());
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
