// SPDX-License-Identifier: GPL-3.0-or-later
// What a UART at one rate makes of a version request sent at another.
#include "link/uart_model.h"

#include <gtest/gtest.h>

#include "image/configuration.h"

namespace kova::uart {
namespace {

TEST(UartModelTest, DecodesFramesAsWorkedOutByHand) {
  const Receiver at115200{{115200, 0.0}, 0.5, Resync::FallingEdge};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> sent;
    UartClock sender;
    Receiver receiver;
    std::vector<ReceivedByte> expected;
  };
  // clang-format off
  const std::vector<Case> cases{
      {"same rate, clocks 2 % apart the worst way, late phase", {'v', '#'}, {9600, 0.02}, {{9600, -0.02}, 0.99, Resync::FallingEdge}, {{'v', false}, {'#', false}}},
      // Each bit lasts two: start+d0 low for four, d1 d2 high, d3 low into the stop bit.
      {"twice too slow", {'v'}, {57600, 0.0}, at115200, {{0x78, true}, {0xFE, false}}},
      // Its half bit is a whole sent bit: d0 as the start, d2 d4 d6, stop, idle.
      {"twice too fast", {'v'}, {115200, 0.0}, {{57600, 0.0}, 0.5}, {{0xFF, false}}},
      // The whole frame passes before the middle of the start bit.
      {"far too fast: a glitch", {'v'}, {115200, 0.0}, {{9600, 0.0}, 0.5}, {}},
      // Every low run is a break; it ends where the line next falls.
      {"far too slow: breaks", {'v'}, {1200, 0.0}, at115200, {{0x00, true}, {0x00, true}, {0x00, true}}},
  };
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(Receive(c.sent, c.sender, c.receiver), c.expected) << c.what;
  // A receiver that takes a low line after a break as the next start bit
  // delivers a string of them.
  EXPECT_GT(Receive({'v'}, {1200, 0.0}, {{115200, 0.0}, 0.5, Resync::LowLevel}).size(), 10u);
}

// The probe's safety: "v" at any rate reaches a unit at any other as none of its
// commands (nor "v"), whatever the phase, either clock 2 % off; at its own, as "v".
TEST(UartModelTest, AVersionRequestAtAWrongRateIsNeverACommand) {
  for (int sender : kBaudRates) {
    for (int receiver : kBaudRates) {
      const std::set<std::uint8_t> arrivals = PossibleArrivals('v', sender, receiver);
      if (sender == receiver) {
        EXPECT_EQ(arrivals, std::set<std::uint8_t>{'v'}) << sender;
        continue;
      }
      for (std::uint8_t command : {'!', 'R', '#', 'v'})
        EXPECT_EQ(arrivals.count(command), 0u)
            << command << " from v at " << sender << " to a unit at " << receiver;
    }
  }
}

}  // namespace
}  // namespace kova::uart
