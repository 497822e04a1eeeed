// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "link/clock.h"
#include "link/serial_line.h"

namespace kova {

// The waits of the device exchanges. The defaults are the unit's; tests that
// run many exchanges against the simulator may shorten the pauses.
struct LinkTimings {
  std::chrono::milliseconds rxTimeout{250};  // per expected byte
  std::chrono::milliseconds pacing{10};      // after each written image byte
  std::chrono::milliseconds settle{3500};    // between the write and the read-back
};

// Thrown out of the link's waits and writes once someone asked the running
// exchange to stop (Ctrl+C, a closing window). The line stays usable; the
// caller closes it as after any failure.
class StopRequested : public std::runtime_error {
 public:
  StopRequested() : std::runtime_error("the operation was interrupted") {}
};

// The port as the unit protocol uses it: open, close, flush, one byte in with
// a timeout, a line of text in, one byte out. Every byte can be traced.
class SerialLink {
 public:
  SerialLink(SerialLine& line, Clock& clock, LinkTimings timings = {})
      : line_(line), clock_(clock), timings_(timings) {}
  ~SerialLink() { ComClose(); }
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // (Re)opens the line with these settings and drops what was waiting.
  void ComOpen(const LineSettings& settings);
  // Drops what is waiting and closes the line. Never fails: a line that
  // vanished is closed all the same.
  void ComClose() noexcept;
  void ComRxFlush();

  // One byte 0..255, or -1 when none arrived while the time since the call
  // was at most the receive timeout, or when the operation's deadline came.
  int ComRx();
  // Characters up to (not including) a carriage return, or as far as they
  // came before a timeout. Nothing when `maxLength` characters came without
  // a carriage return: the line is stuck or it is not a text line.
  std::optional<std::string> ComRxString(std::size_t maxLength);

  // Sends one byte; returns the moment it left the PC.
  Clock::time_point Send(std::uint8_t byte);
  // Sends a command to which the unit answers, once the line has been quiet
  // for a few bytes' time: what is waiting is dropped first, and so is
  // whatever is still coming. False, with nothing sent, when the line is
  // still talking after one receive timeout: a command sent then would meet
  // an answer that is not its own. The answer's timing is followed from its
  // first byte.
  bool SendCommand(std::uint8_t command);
  // The pause after a written image byte, counted from when it left. Input
  // that arrives meanwhile is dropped, as nothing is expected during a write.
  void PaceAfter(Clock::time_point left);
  // Drops what arrives until nothing has come for `quiet` (counted from the
  // last byte heard); false when the line is still talking after `bound`.
  bool WaitForQuiet(Clock::duration quiet, Clock::duration bound);
  // True when nothing arrives for `span`; a byte that does arrive is dropped
  // with everything after it.
  bool StaysQuietFor(Clock::duration span);
  // True when the line stays silent long enough after an answer that a byte
  // beyond it would have shown: twice the longest gap the unit took between
  // the answer's bytes, never less than a few bytes' time and never more
  // than the receive timeout.
  bool StaysQuietAfterAnswer();
  // How long StaysQuietAfterAnswer listens, given the answer so far.
  Clock::duration QuietAfterAnswer() const;

  // Another thread or a signal handler sets this flag to stop the exchange:
  // every wait of the link looks at it at least every few tens of
  // milliseconds and then throws StopRequested. Not owned; null by default.
  void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
  void StopIfCancelled() const {
    if (Cancelled()) throw StopRequested();
  }
  // Sleeps until `when`, or less when the stop is asked for (then throws).
  void SleepUntil(Clock::time_point when);

  // No receive waits beyond this moment; none by default.
  void SetDeadline(std::optional<Clock::time_point> deadline) { deadline_ = deadline; }
  bool PastDeadline() { return deadline_ && clock_.Now() >= *deadline_; }

  // The time one byte takes on the wire at the open rate.
  Clock::duration CharTime() const;

  bool IsOpen() const { return line_.IsOpen(); }
  const LineSettings& settings() const { return settings_; }
  const LinkTimings& timings() const { return timings_; }
  Clock& clock() { return clock_; }
  long bytesSent() const { return sent_; }
  long bytesReceived() const { return received_; }

 private:
  void TraceSent(std::uint8_t byte);
  void TraceReceived(int byte);
  // The line after the last byte sent: one byte's time, so that a byte the
  // driver reports as gone is on the wire before the port closes.
  void LetLastByteOut() noexcept;
  // `wait` cut short enough that a stop asked for meanwhile is seen soon.
  std::chrono::microseconds Slice(std::chrono::microseconds wait) const;

  SerialLine& line_;
  Clock& clock_;
  LinkTimings timings_;
  LineSettings settings_;
  Clock::time_point openedAt_{};
  std::optional<Clock::time_point> deadline_;
  const std::atomic<bool>* cancel_ = nullptr;
  std::optional<Clock::time_point> lastSent_;      // since the line was opened
  std::optional<Clock::time_point> lastReceived_;  // in the current answer
  Clock::time_point lastHeard_{};                  // any byte, dropped ones too
  Clock::duration longestGap_{};                   // between the current answer's bytes
  long sent_ = 0;
  long received_ = 0;
};

}  // namespace kova
