// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "link/serial_line.h"

namespace kova {

// A serial line in memory, for tests. Time is a FakeClock: waiting for a byte
// moves the clock to the byte's arrival or to the end of the wait, and each
// written byte takes its wire time at the open rate. The far end is a
// responder called with every byte written; it answers through Deliver.
class FakeLine final : public SerialLine {
 public:
  using Responder = std::function<void(std::uint8_t byte, FakeLine& line)>;

  struct Sent {
    Clock::time_point left;  // when the byte's last bit went out
    std::uint8_t byte;
  };

  explicit FakeLine(FakeClock& clock) : clock_(clock) {}

  void Open(const LineSettings& settings) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  int ReadByte(std::chrono::microseconds wait) override;
  void WriteByte(std::uint8_t byte) override;
  void DiscardInput() override;

  // The far end.
  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  // Bytes that arrive while the line is open: the first after `delay`, then
  // one every `spacing`. A closed line receives nothing.
  void Deliver(std::span<const std::uint8_t> bytes, Clock::duration delay = {},
               Clock::duration spacing = {});
  void Deliver(std::string_view text, Clock::duration delay = {}, Clock::duration spacing = {});

  // Faults.
  void RefuseNextOpen(std::string reason) { refuseOpen_ = std::move(reason); }
  // The line drops after this many more bytes have been written.
  void DropAfterWrites(int count) { dropAfterWrites_ = count; }
  // The far end hears nothing after this many more bytes, while the PC's
  // writes go on as before: a cable pulled between adapter and unit.
  void DeafAfterWrites(int count) { deafAfterWrites_ = count; }

  // What happened.
  const std::vector<Sent>& sent() const { return sent_; }
  std::string SentText() const;
  const std::vector<LineSettings>& opens() const { return opens_; }
  int closes() const { return closes_; }
  std::size_t Pending() const { return incoming_.size(); }

 private:
  struct Arrival {
    Clock::time_point at;
    std::uint8_t byte;
  };

  void CheckUsable() const;

  FakeClock& clock_;
  Responder responder_;
  bool open_ = false;
  bool dropped_ = false;
  int rate_ = 0;
  std::optional<std::string> refuseOpen_;
  int dropAfterWrites_ = -1;
  int deafAfterWrites_ = -1;
  std::deque<Arrival> incoming_;
  std::vector<Sent> sent_;
  std::vector<LineSettings> opens_;
  int closes_ = 0;
};

}  // namespace kova
