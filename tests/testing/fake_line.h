// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image/configuration.h"
#include "link/clock.h"
#include "link/serial_link.h"
#include "link/uart_model.h"
#include "unit_model.h"

namespace kova {

// Time that moves only when someone sleeps or advances it.
class FakeClock final : public Clock {
 public:
  time_point Now() override { return now_; }
  void SleepUntil(time_point when) override {
    if (when > now_) now_ = when;
  }
  void Advance(duration by) { now_ += by; }

 private:
  time_point now_{};
};

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

  void Open(const LineSettings& settings) override {
    if (open_) throw LineError("the device is already open");
    if (refuseOpen_) throw LineError(*std::exchange(refuseOpen_, std::nullopt));
    opens_.push_back(settings);
    open_ = true;
    dropped_ = false;
  }
  void Close() override {
    if (open_) ++closes_;
    open_ = false;
    incoming_.clear();
  }
  bool IsOpen() const override { return open_; }
  int ReadByte(std::chrono::microseconds wait) override {
    CheckUsable();
    const Clock::time_point deadline = clock_.Now() + wait;
    if (incoming_.empty() || incoming_.front().at > deadline) {
      clock_.SleepUntil(deadline);
      return -1;
    }
    clock_.SleepUntil(incoming_.front().at);
    const std::uint8_t byte = incoming_.front().byte;
    incoming_.pop_front();
    return byte;
  }
  void WriteByte(std::uint8_t byte) override {
    CheckUsable();
    dropped_ = dropAfterWrites_-- == 0;
    CheckUsable();
    // Start, eight data bits, stop.
    clock_.Advance(std::chrono::nanoseconds(std::chrono::seconds(10)) / opens_.back().rate);
    sent_.push_back({clock_.Now(), byte});
    if (responder_) responder_(byte, *this);
  }
  void DiscardInput() override {
    CheckUsable();
    const Clock::time_point now = clock_.Now();
    std::erase_if(incoming_, [now](const Arrival& a) { return a.at <= now; });
  }

  // The far end.
  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  // Bytes that arrive while the line is open: the first after `delay`, then
  // one every `spacing`. A closed line receives nothing.
  void Deliver(std::string_view bytes, Clock::duration delay = {}, Clock::duration spacing = {}) {
    if (!open_) return;
    Clock::time_point at = clock_.Now() + delay;
    if (!incoming_.empty()) at = std::max(at, incoming_.back().at);
    for (const char byte : bytes) {
      incoming_.push_back({at, static_cast<std::uint8_t>(byte)});
      at += spacing;
    }
  }

  // Faults.
  void RefuseNextOpen(std::string reason) { refuseOpen_ = std::move(reason); }
  // The line drops after this many more bytes have been written.
  void DropAfterWrites(int count) { dropAfterWrites_ = count; }

  // What happened.
  const std::vector<Sent>& sent() const { return sent_; }
  std::string SentText() const {
    std::string text;
    for (const Sent& s : sent_)
      text += static_cast<char>(s.byte);
    return text;
  }
  const std::vector<LineSettings>& opens() const { return opens_; }
  int closes() const { return closes_; }

 private:
  struct Arrival {
    Clock::time_point at;
    std::uint8_t byte;
  };

  void CheckUsable() const {
    if (!open_) throw LineError("the port is not open");
    if (dropped_) throw LineError("the device stopped working");
  }

  FakeClock& clock_;
  Responder responder_;
  bool open_ = false;
  bool dropped_ = false;
  std::optional<std::string> refuseOpen_;
  int dropAfterWrites_ = -1;
  std::deque<Arrival> incoming_;
  std::vector<Sent> sent_;
  std::vector<LineSettings> opens_;
  int closes_ = 0;
};

namespace test {

// How a unit answers: the simulator's own faults, and answers the model
// cannot give (for the n-th answer to `command`, or every one when n is -1:
// `noise` after its acknowledge, and `cut` bytes lost from its end).
struct UnitAnswers {
  sim::UnitFaults faults{};
  std::array<std::string, 3> versions{"KOVA PRO", "V3.10", "SIM"};
  Clock::duration byteDelay{};  // on top of each byte's own time
  std::uint8_t command = 0;
  std::string noise{};
  std::size_t cut = 0;
  int nth = -1;
  int deafAfter = -1;  // hears nothing after this many bytes: a cable pulled at the unit
  long tick = 0;       // minutes the elapsed-time counter moves on after the first EEPROM read
};

// The simulator's unit model behind a fake line: what the PC writes reaches
// the model as the unit's UART at its own rate receives it, and its answer
// comes back one byte per character time.
class FakeUnit {
 public:
  FakeUnit(FakeLine& line, FakeClock& clock, const EEpromImage& eeprom, UnitAnswers how = {})
      : clock_(clock), how_(std::move(how)), unit_(eeprom, how_.versions, how_.faults) {
    line.SetResponder([this](std::uint8_t byte, FakeLine& l) { Hear(byte, l); });
  }

  int Rate() const { return kBaudRates[unit_.RateIndex()]; }
  const sim::UnitModel& model() const { return unit_; }
  std::vector<std::uint8_t> heard;  // bytes the model received

 private:
  void Hear(std::uint8_t byte, FakeLine& line) {
    if (how_.deafAfter >= 0 && written_++ >= how_.deafAfter) return;
    const auto now =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch());
    for (const uart::ReceivedByte& got :
         uart::Receive({byte}, {line.opens().back().rate}, {{Rate()}})) {
      heard.push_back(got.value);
      std::vector<std::uint8_t> answer = unit_.Receive(got.value, now).bytes;
      if (got.value == how_.command && (how_.nth < 0 || how_.nth == answers_) && !answer.empty()) {
        answer.resize(answer.size() - how_.cut);
        const auto ack = std::find(answer.begin(), answer.end(), sim::UnitModel::kAcknowledge);
        answer.insert(ack + (ack != answer.end()), how_.noise.begin(), how_.noise.end());
      }
      if (got.value == how_.command) ++answers_;
      if (got.value == '#' && reads_++ == 0) unit_.AdvanceMinutes(how_.tick);
      const Clock::duration charTime = std::chrono::nanoseconds(std::chrono::seconds(10)) / Rate();
      line.Deliver({reinterpret_cast<const char*>(answer.data()), answer.size()},
                   charTime + how_.byteDelay, charTime + how_.byteDelay);
    }
  }

  FakeClock& clock_;
  UnitAnswers how_;
  sim::UnitModel unit_;
  int answers_ = 0;
  int reads_ = 0;
  int written_ = 0;
};

// An image whose every byte differs from its neighbours and whose byte 5
// selects the rate list entry `rateIndex`.
inline EEpromImage PatternImage(int rateIndex, int seed = 0) {
  EEpromImage image{};
  for (int i = 0; i < 256; ++i)
    image[i] = static_cast<std::uint8_t>((i * 7 + seed) & 0xFF);
  image[5] = static_cast<std::uint8_t>(rateIndex << 3);
  return image;
}

// A link on a fake line and clock, reopened at 9600 bit/s for each case.
class LinkTest : public ::testing::Test {
 protected:
  void Reopen() {
    line.Close();
    link.ComOpen({"ttyFAKE", 9600});
  }

  FakeClock clock;
  FakeLine line{clock};
  SerialLink link{line, clock};
};

}  // namespace test
}  // namespace kova
