// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "fake_line.h"
#include "image/configuration.h"
#include "link/serial_link.h"
#include "unit_model.h"

namespace kova::test {

// The simulator's unit model behind a fake line: what the PC writes at the
// unit's rate reaches the model, and its answer comes back one byte per
// character time.
class FakeUnit {
 public:
  FakeUnit(FakeLine& line, FakeClock& clock, const EEpromImage& eeprom, sim::UnitFaults faults = {})
      : clock_(clock), unit_(eeprom, {"KOVA PRO", "V3.10", "SIM"}, std::move(faults)) {
    line.SetResponder([this](std::uint8_t byte, FakeLine& l) { Hear(byte, l); });
  }

  int Rate() const { return kBaudRates[unit_.RateIndex()]; }

 private:
  void Hear(std::uint8_t byte, FakeLine& line) {
    if (line.opens().back().rate != Rate()) return;
    const auto now =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch());
    const sim::UnitModel::Answer answer = unit_.Receive(byte, now);
    const Clock::duration charTime = std::chrono::nanoseconds(std::chrono::seconds(10)) / Rate();
    line.Deliver(answer.bytes, charTime, charTime);
  }

  FakeClock& clock_;
  sim::UnitModel unit_;
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
