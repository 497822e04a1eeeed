// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "fake_line.h"
#include "image/configuration.h"
#include "link/serial_link.h"
#include "link/uart_model.h"
#include "unit_model.h"

namespace kova::test {

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
      const Clock::duration charTime = std::chrono::nanoseconds(std::chrono::seconds(10)) / Rate();
      line.Deliver(answer, charTime + how_.byteDelay, charTime + how_.byteDelay);
    }
  }

  FakeClock& clock_;
  UnitAnswers how_;
  sim::UnitModel unit_;
  int answers_ = 0;
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

}  // namespace kova::test
