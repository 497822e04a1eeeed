// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the unit's rate on a fake line, where bytes sent at a wrong rate
// reach the unit as the UART model says they would.
#include "link/probe.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_clock.h"
#include "fake_line.h"
#include "image/configuration.h"
#include "link/link_messages.h"
#include "link/uart_model.h"
#include "unit_model.h"

namespace kova {
namespace {

using namespace std::chrono_literals;

constexpr int kRateIndex1200 = 7;

class ProbeTest : public ::testing::Test {
 protected:
  // A unit at `rateIndex` that hears through a UART at its own rate.
  void UnitAt(int rateIndex, sim::UnitFaults faults = {},
              std::array<std::string, 3> versions = {"KOVA PRO", "V3.10", "SIM"},
              Clock::duration byteDelay = {}) {
    EEpromImage image{};
    image[5] = static_cast<std::uint8_t>(rateIndex << 3);
    unit.emplace(image, versions, faults);
    line.SetResponder([this, byteDelay](std::uint8_t byte, FakeLine& l) {
      const int unitRate = kBaudRates[unit->RateIndex()];
      const int lineRate = l.opens().back().rate;
      const auto now =
          std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now().time_since_epoch());
      for (const uart::ReceivedByte& got : uart::Receive({byte}, {lineRate}, {{unitRate}})) {
        heard.push_back(got.value);
        const auto answer = unit->Receive(got.value, now);
        // Answers at a rate the PC is not set to would be garbled in turn;
        // the unit never answers a wrong rate, so they are passed through.
        const Clock::duration charTime = std::chrono::nanoseconds(10s) / unitRate + byteDelay;
        l.Deliver(answer.bytes, charTime, charTime);
      }
    });
  }

  ProbeResult Probe(std::optional<int> first) {
    return ProbeUnit(line, clock, "/dev/ttyUSB0", "/dev/ttyUSB0", ProbeOrder(first));
  }

  FakeClock clock;
  FakeLine line{clock};
  std::optional<sim::UnitModel> unit;
  std::vector<std::uint8_t> heard;
};

TEST_F(ProbeTest, FindsTheRateAskingNothingButTheVersion) {
  struct Case {
    int unitRateIndex;
    std::optional<int> lastSeen;
    std::vector<int> tried;
  };
  const std::vector<Case> cases{
      {4, std::nullopt, {9600}},
      {0, std::nullopt, {9600, 19200, 38400, 57600, 115200}},
      {kRateIndex1200, std::nullopt, {9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200}},
      {1, 57600, {57600}},
      {5, 2400, {2400, 9600, 19200, 38400, 57600, 115200, 4800}},
  };
  for (const Case& c : cases) {
    heard.clear();
    UnitAt(c.unitRateIndex);
    const EEpromImage before = unit->eeprom();
    const ProbeResult result = Probe(c.lastSeen);
    const int rate = kBaudRates[c.unitRateIndex];
    ASSERT_EQ(result.rate, rate);
    EXPECT_EQ(result.tried, c.tried) << rate;
    EXPECT_EQ(result.versions, (VersionTexts{"KOVA PRO", "V3.10", "SIM"}));
    EXPECT_FALSE(result.failure);
    // Only version requests went out, and the unit heard no command but the
    // one at its own rate.
    EXPECT_TRUE(std::all_of(line.sent().begin(), line.sent().end(),
                            [](const FakeLine::Sent& s) { return s.byte == 'v'; }));
    EXPECT_EQ(
        std::count_if(heard.begin(), heard.end(),
                      [](std::uint8_t b) { return b == 'v' || b == '!' || b == '#' || b == 'R'; }),
        1)
        << rate;
    EXPECT_EQ(unit->eeprom(), before);
    EXPECT_EQ(unit->RateIndex(), c.unitRateIndex);
  }
}

TEST_F(ProbeTest, OnlyAWholePrintableAnswerCounts) {
  struct Case {
    const char* what;
    std::string answer;  // to every request, at whatever rate
  };
  const std::vector<Case> cases{
      {"an acknowledge alone", "\x06"},
      {"a control character in a line", "\x06KOVA\x01\rV3\rSIM\r"},
      {"two lines", "\x06KOVA\rV3\r"},
      {"a line that never ends", "\x06" + std::string(200, 'A')},
  };
  for (const Case& c : cases) {
    line.SetResponder([&](std::uint8_t, FakeLine& l) { l.Deliver(c.answer, 1ms, 1ms); });
    const ProbeResult result = Probe(std::nullopt);
    EXPECT_FALSE(result.rate) << c.what;
    EXPECT_EQ(result.tried.size(), kBaudRates.size()) << c.what;
    EXPECT_EQ(result.outcome, Outcome::UnexpectedData) << c.what;
  }
}

// A unit whose answer breaks the rule at its own rate, slowly: the probe
// lets the rest of that answer pass before it tries another rate, so that
// no tail of it is taken for another rate's answer, and says what came.
TEST_F(ProbeTest, AnAnswerThatBreaksTheRuleGivesNoRateButSaysSo) {
  struct Case {
    const char* what;
    int unitRateIndex;
    std::optional<int> lastSeen;
    sim::UnitFaults faults;
    std::string firstLine;
    Clock::duration byteDelay;
    std::vector<int> unexpectedAt;
    std::size_t tried;
  };
  const std::vector<Case> cases{
      {"a byte above 0x7E in a line", 6, 2400, {}, "\xA9 KOVA PRO", 2ms, {2400}, 8},
      {"noise ahead of a slow answer", 4, {}, {.stray = 3}, "KOVA PRO", 125ms, {9600}, 1},
      {"noise ahead of each answer", 5, {}, {.stray = 1}, "KOVA PRO", {}, {4800}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UnitAt(c.unitRateIndex, c.faults, {c.firstLine, "10 ZONE RX", "SIM"}, c.byteDelay);
    const ProbeResult result = Probe(c.lastSeen);
    EXPECT_FALSE(result.rate);
    EXPECT_EQ(result.outcome, Outcome::UnexpectedData);
    EXPECT_EQ(result.failure, UnexpectedResponse());
    EXPECT_EQ(result.unexpectedAt, c.unexpectedAt);
    EXPECT_EQ(result.tried.size(), c.tried);
  }
}

TEST_F(ProbeTest, APortThatWillNotOpenEndsAtOnce) {
  line.RefuseNextOpen("Permission denied");
  const ProbeResult result = Probe(std::nullopt);
  EXPECT_TRUE(result.portNotOpened);
  EXPECT_EQ(result.outcome, Outcome::PortProblem);
  ASSERT_TRUE(result.failure);
  EXPECT_NE(result.failure->text.find("/dev/ttyUSB0"), std::string::npos);
  EXPECT_EQ(result.tried, std::vector<int>{9600});
  EXPECT_TRUE(line.sent().empty());
}

// Asked to stop while a rate is being tried, the probe ends there with no
// rate found, the port closed, and the failure saying it was interrupted.
TEST_F(ProbeTest, AProbeAskedToStopEndsAtOnceWithoutARate) {
  std::atomic<bool> stop{false};
  Clock::time_point askedAt{};
  line.SetResponder([&](std::uint8_t, FakeLine& l) {
    if (l.opens().back().rate != 38400) return;
    stop = true;
    askedAt = clock.Now();
  });
  const ProbeResult result =
      ProbeUnit(line, clock, "/dev/ttyUSB0", "/dev/ttyUSB0", ProbeOrder({}), {}, &stop);
  EXPECT_EQ(result.failure, Interrupted());
  EXPECT_FALSE(result.rate);
  EXPECT_EQ(result.tried, (std::vector<int>{9600, 19200, 38400}));
  EXPECT_FALSE(line.IsOpen());
  EXPECT_LT(clock.Now() - askedAt, 30ms);
}

}  // namespace
}  // namespace kova
