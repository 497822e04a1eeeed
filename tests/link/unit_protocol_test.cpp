#include "link/unit_protocol.h"

#include "diag/trace.h"
#include "fake_unit.h"
#include "link/byte_trace.h"
#include "link/link_messages.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::FakeUnit;
using test::PatternImage;

constexpr int k9600 = 4;  // index of 9600 in the rate list

using SerialLinkTest = test::LinkTest;

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

using UnitProtocolTest = test::LinkTest;

TEST_F(UnitProtocolTest, MissingVersionLinesBecomeEmptyAndTheReadGoesOn) {
  line.SetResponder([](std::uint8_t byte, FakeLine& l) {
    l.Deliver(std::string_view("\x06", 1), 1ms);
    if (byte == '#') l.Deliver(PatternImage(k9600, 5), 1ms, 1ms);
  });
  Reopen();
  VersionTexts ver{"old 0", "old 1", "old 2"};
  EEpromImage image{};
  const Clock::time_point t0 = clock.Now();
  EXPECT_EQ(GetEEprom(link, ver, image), std::nullopt);
  EXPECT_EQ(ver, (VersionTexts{"", "", ""}));
  EXPECT_EQ(image, PatternImage(k9600, 5));
  EXPECT_GE(clock.Now() - t0, 3 * 250ms) << "each line waits on its own";
}

TEST_F(UnitProtocolTest, VerifyComparesOnlyBytes4To255AndStopsAtTheFirstDifference) {
  struct Case {
    int address;  // -1: no difference
    std::optional<Message> message;
    int compared;  // bytes found equal before it stopped
  };
  const EEpromImage image = PatternImage(k9600, 99);
  const Case cases[] = {{-1, std::nullopt, 256},
                        {3, std::nullopt, 256},
                        {4, VerificationError(), 4},
                        {200, VerificationError(), 200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EEpromImage held = image;
    if (c.address >= 0) held[c.address] ^= 0x5A;
    FakeUnit unit(line, clock, held);
    Reopen();
    line.Deliver("stale");  // dropped before asking
    clock.Advance(1ms);
    int compared = -1;
    EXPECT_EQ(VerifyEEprom(link, image, [&](int d, int) { compared = d; }), c.message);
    EXPECT_EQ(compared, c.compared);
    EXPECT_EQ(line.sent().back().byte, '#');
  }
}

}  // namespace
}  // namespace kova
