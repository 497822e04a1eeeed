#include "link/serial_link.h"

#include <gtest/gtest.h>

#include "diag/trace.h"
#include "link/byte_trace.h"
#include "link/fake_line.h"

namespace kova {
namespace {

using namespace std::chrono_literals;

class SerialLinkTest : public ::testing::Test {
 protected:
  void Reopen() {
    line.Close();
    link.ComOpen({"ttyFAKE", 9600});
  }

  FakeClock clock;
  FakeLine line{clock};
  SerialLink link{line, clock};
};

TEST_F(SerialLinkTest, ComRxWaitsWhileAtMost250msHavePassed) {
  struct Case {
    std::string_view byte;
    Clock::duration arrival;
    int expected;
  };
  const Case cases[] = {{"\xFF", 0ms, 255}, {std::string_view("\0", 1), 0ms, 0},
                        {"x", 249ms, 'x'},  {"x", 250ms, 'x'},
                        {"x", 251ms, -1},   {"x", 2s, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::chrono::duration_cast<std::chrono::milliseconds>(c.arrival).count());
    Reopen();
    line.Deliver(c.byte, c.arrival);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.ComRx(), c.expected);
    if (c.expected == -1) {
      EXPECT_GT(clock.Now() - t0, 250ms);
      EXPECT_LT(clock.Now() - t0, 252ms);
    }
  }
}

TEST_F(SerialLinkTest, ComRxStringStopsAtCarriageReturnOrSilence) {
  struct Case {
    std::string_view input;
    std::string text;
    Clock::duration elapsed;  // at least
    std::size_t left;         // bytes still waiting
  };
  const Case cases[] = {{"AB\rC", "AB", 0ms, 1},
                        {"AB", "AB", 250ms, 0},
                        {"", "", 250ms, 0},
                        {"A\nB\r", "A\nB", 0ms, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.input));
    Reopen();
    line.Deliver(c.input);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.ComRxString(), c.text);
    EXPECT_GE(clock.Now() - t0, c.elapsed);
    EXPECT_EQ(line.Pending(), c.left);
  }
}

TEST_F(SerialLinkTest, ComOpenReopensAndFlushesComCloseClosesEvenABrokenLine) {
  link.ComOpen({"ttyFAKE", 9600});
  line.Deliver("stale");
  link.ComOpen({"ttyOTHER", 19200});
  EXPECT_EQ(line.opens().back(), (LineSettings{"ttyOTHER", 19200}));
  EXPECT_EQ(line.closes(), 1);
  EXPECT_EQ(link.ComRx(), -1) << "input from before the reopening is gone";

  line.Drop();
  link.ComClose();
  link.ComClose();
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(line.closes(), 2);
}

TEST_F(SerialLinkTest, PauseCountsFromWhenTheByteLeftAndQuietSpotsStrayBytes) {
  link.ComOpen({"ttyFAKE", 9600});
  const Clock::time_point left = link.Send('a');
  EXPECT_EQ(left, line.sent().back().left) << "after its wire time, not when handed over";
  clock.Advance(3ms);  // time spent elsewhere does not lengthen the gap
  link.PaceAfter(left);
  EXPECT_EQ(clock.Now(), left + 10ms);

  EXPECT_TRUE(link.StaysQuietFor(5ms));
  line.Deliver("zz", 4ms, 2ms);
  EXPECT_FALSE(link.StaysQuietFor(5ms));
  EXPECT_EQ(line.Pending(), 1u) << "only bytes that have arrived are dropped";
}

TEST_F(SerialLinkTest, ByteTraceIsOffUntilSwitchedOnThenTimesEveryByte) {
  std::vector<std::string> lines;
  SetTraceSink([&](std::string_view l) { lines.emplace_back(l); });
  link.ComOpen({"ttyFAKE", 9600});
  link.Send('v');
  EXPECT_TRUE(lines.empty());
  SetByteTrace(true);
  clock.Advance(10ms);
  link.Send('!');
  line.Deliver(std::string_view("\x06", 1), 2ms);
  link.ComRx();
  SetByteTrace(false);
  SetTraceSink(nullptr);
  // 'v' and '!' each take 1.042 ms on the wire at 9600 bit/s.
  EXPECT_EQ(lines, (std::vector<std::string>{"    12.083 ms > 21 '!'", "    14.083 ms < 06"}));
}

}  // namespace
}  // namespace kova
