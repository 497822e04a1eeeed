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
  void SetUp() override { link.ComOpen({"ttyFAKE", 9600}); }

  FakeClock clock;
  FakeLine line{clock};
  SerialLink link{line, clock};
};

TEST_F(SerialLinkTest, ComRxKeepsEveryByteValueApartFromTheTimeout) {
  line.Deliver(std::string_view("\xFF\x00\x41", 3));
  EXPECT_EQ(link.ComRx(), 255);
  EXPECT_EQ(link.ComRx(), 0);
  EXPECT_EQ(link.ComRx(), 0x41);
}

TEST_F(SerialLinkTest, ComRxWaitsWhileAtMost250msHavePassed) {
  struct Case {
    Clock::duration arrival;
    int expected;
  };
  const Case cases[] = {{0ms, 'x'}, {249ms, 'x'}, {250ms, 'x'}, {251ms, -1}, {2s, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::chrono::duration_cast<std::chrono::microseconds>(c.arrival).count());
    link.ComRxFlush();
    line.Deliver("x", c.arrival);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.ComRx(), c.expected);
    if (c.expected == -1) {
      EXPECT_GT(clock.Now() - t0, 250ms);
      EXPECT_LT(clock.Now() - t0, 252ms);
      link.ComClose();  // drop the late byte
      link.ComOpen({"ttyFAKE", 9600});
    }
  }
}

TEST_F(SerialLinkTest, ComRxStringStopsAtCarriageReturnOrSilence) {
  struct Case {
    std::string_view input;
    std::string text;
    Clock::duration elapsed;  // at least
    int left;                 // bytes still waiting
  };
  const Case cases[] = {
      {"AB\rC", "AB", 0ms, 1}, {"AB", "AB", 250ms, 0},     {"", "", 250ms, 0},
      {"\r", "", 0ms, 0},      {"A\nB\r", "A\nB", 0ms, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.input));
    line.Close();
    link.ComOpen({"ttyFAKE", 9600});
    line.Deliver(c.input);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.ComRxString(), c.text);
    EXPECT_GE(clock.Now() - t0, c.elapsed);
    EXPECT_EQ(line.Pending(), static_cast<std::size_t>(c.left));
  }
}

TEST_F(SerialLinkTest, ComOpenReopensWithNewSettingsAndDropsWaitingInput) {
  line.Deliver("stale");
  link.ComOpen({"ttyOTHER", 19200});
  ASSERT_EQ(line.opens().size(), 2u);
  EXPECT_EQ(line.opens()[1], (LineSettings{"ttyOTHER", 19200}));
  EXPECT_EQ(line.closes(), 1);
  EXPECT_EQ(link.ComRx(), -1);
}

TEST_F(SerialLinkTest, ComCloseFlushesAndClosesOnceEvenOnABrokenLine) {
  line.Drop();
  link.ComClose();
  EXPECT_FALSE(line.IsOpen());
  link.ComClose();
  EXPECT_EQ(line.closes(), 1);
}

TEST_F(SerialLinkTest, PauseAfterAByteCountsFromWhenItLeft) {
  const Clock::time_point left = link.Send('a');
  // One byte at 9600 bit/s is on the wire for about 1.04 ms before it has left.
  EXPECT_EQ(left, line.sent().back().left);
  clock.Advance(3ms);  // time spent elsewhere does not lengthen the gap
  link.PaceAfter(left);
  EXPECT_EQ(clock.Now(), left + 10ms);
}

TEST_F(SerialLinkTest, StaysQuietDetectsALateStrayByte) {
  EXPECT_TRUE(link.StaysQuietFor(5ms));
  line.Deliver("zz", 4ms, 2ms);
  EXPECT_FALSE(link.StaysQuietFor(5ms));
  EXPECT_EQ(line.Pending(), 1u) << "only bytes that have arrived are dropped";
}

TEST_F(SerialLinkTest, ByteTraceWritesEveryByteWithItsTimeOnlyWhenSwitchedOn) {
  std::vector<std::string> lines;
  SetTraceSink([&](std::string_view l) { lines.emplace_back(l); });
  link.Send('v');
  EXPECT_TRUE(lines.empty()) << "the byte trace is off by default";
  SetByteTrace(true);
  link.Send('!');
  line.Deliver(std::string_view("\x06", 1), 2ms);
  link.ComRx();
  SetByteTrace(false);
  SetTraceSink(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("> 21 '!'"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("< 06"), std::string::npos) << lines[1];
}

TEST(ByteTraceFormat, ShowsMillisecondsDirectionHexAndPrintableText) {
  EXPECT_EQ(FormatByteTrace(12345us, ByteDirection::Sent, '#'), "    12.345 ms > 23 '#'");
  EXPECT_EQ(FormatByteTrace(0us, ByteDirection::Received, 0x0D), "     0.000 ms < 0D");
  EXPECT_EQ(FormatByteTrace(1s, ByteDirection::Received, 0xE5), "  1000.000 ms < E5");
}

}  // namespace
}  // namespace kova
