// SPDX-License-Identifier: GPL-3.0-or-later
// The link's timing: the receive timeout, the quiet asked for after an answer
// and before a command, and the byte trace.
#include "diag/trace.h"
#include "fake_line.h"
#include "link/byte_trace.h"
#include "link/unit_protocol.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using SerialLinkTest = test::LinkTest;

TEST_F(SerialLinkTest, ComRxWaitsWhileAtMost250msHavePassed) {
  const struct {
    std::string_view byte;
    Clock::duration arrival;
    int expected;
  } cases[] = {{"\xFF", 0ms, 255}, {std::string_view("\0", 1), 0ms, 0},
               {"x", 249ms, 'x'},  {"x", 250ms, 'x'},
               {"x", 251ms, -1},   {"x", 2s, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::chrono::duration_cast<std::chrono::milliseconds>(c.arrival).count());
    Reopen();
    line.Deliver(c.byte, c.arrival);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.ComRx(), c.expected);
    const Clock::duration waited = clock.Now() - t0;
    EXPECT_TRUE(c.expected != -1 || (waited > 250ms && waited < 252ms)) << waited / 1us;
  }
}

// The quiet after an answer follows its pace: a byte beyond it as late as its
// bytes came is seen, and the wait never passes the receive timeout.
TEST_F(SerialLinkTest, TheGuardAfterAnAnswerFollowsItsLongestGap) {
  const struct {
    Clock::duration gap;    // between the answer's bytes
    Clock::duration extra;  // when a byte beyond it comes, after the last
    bool seen;
  } cases[] = {
      {0ms, 5ms, true},    {0ms, 20ms, false}, {9ms, 10ms, true},    {12ms, 23ms, true},
      {12ms, 30ms, false}, {40ms, 79ms, true}, {130ms, 240ms, true}, {130ms, 260ms, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "gap " << c.gap / 1ms << " ms, extra " << c.extra / 1ms);
    Reopen();
    link.SendCommand('#');
    line.Deliver(std::string(10, 'x'), 1ms, c.gap);
    for (int i = 0; i < 10; ++i)
      ASSERT_EQ(link.ComRx(), 'x');
    line.Deliver("!", c.extra);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.StaysQuietAfterAnswer(), !c.seen);
    EXPECT_LE(clock.Now() - t0, 250ms + 1ms);
  }
}

// What is on its way when a command goes is dropped; a line that does not fall
// quiet gets no command.
TEST_F(SerialLinkTest, ACommandGoesOnlyOnAQuietLine) {
  Reopen();
  line.Deliver("noise", 0ms, 1ms);  // still coming when the command is due
  clock.Advance(1500us);
  EXPECT_TRUE(link.SendCommand('v'));
  EXPECT_EQ(link.ComRx(), -1) << "the noise was dropped";
  EXPECT_EQ(line.SentText(), "v");

  Reopen();
  line.Deliver(std::string(400, 'x'), 0ms, 1ms);  // talks for 400 ms
  const Clock::time_point t0 = clock.Now();
  EXPECT_FALSE(link.SendCommand('#'));
  EXPECT_EQ(line.SentText(), "v") << "nothing sent into a talking line";
  EXPECT_LE(clock.Now() - t0, 251ms);
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
