// SPDX-License-Identifier: GPL-3.0-or-later
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

TEST_F(SerialLinkTest, ComRxStringStopsAtCarriageReturnSilenceOrItsLength) {
  struct Case {
    std::string input;
    std::optional<std::string> text;
    Clock::duration elapsed;  // at least
    std::size_t left;         // bytes still waiting
  };
  const Case cases[] = {
      {"AB\rC", "AB", 0ms, 1},      {"AB", "AB", 250ms, 0},
      {"", "", 250ms, 0},           {"A\nB\r", "A\nB", 0ms, 0},
      {"ABCDE\r", "ABCDE", 0ms, 0}, {"ABCDEF\r", std::nullopt, 0ms, 1}};  // a stuck line ends at 5
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Reopen();
    line.Deliver(c.input);
    const Clock::time_point t0 = clock.Now();
    EXPECT_EQ(link.ComRxString(5), c.text);
    EXPECT_GE(clock.Now() - t0, c.elapsed);
    EXPECT_EQ(line.Pending(), c.left);
  }
}

// The silence asked for after an answer follows the answer's own pace: a
// byte beyond it that comes as late as its bytes came is always seen, and
// the wait never passes the receive timeout.
TEST_F(SerialLinkTest, TheGuardAfterAnAnswerFollowsItsLongestGap) {
  struct Case {
    Clock::duration gap;    // between the answer's bytes
    Clock::duration extra;  // when a byte beyond it comes, after the last
    bool seen;
  };
  const Case cases[] = {
      {0ms, 1ms, true},    {0ms, 20ms, false}, {9ms, 10ms, true},    {12ms, 23ms, true},
      {12ms, 30ms, false}, {40ms, 79ms, true}, {130ms, 240ms, true}, {130ms, 260ms, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.gap / 1ms) + " ms, extra after " + std::to_string(c.extra / 1ms) +
                 " ms");
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

// What is on its way when a command goes is dropped, so that the answer
// starts with the answer; a line that does not fall quiet gets no command
// at all; the byte sent last reaches the line before the port closes.
TEST_F(SerialLinkTest, ACommandGoesOnlyOnAQuietLineAndTheLastByteLeavesBeforeClosing) {
  Reopen();
  line.Deliver("noise", 0ms, 1ms);  // still coming when the command is due
  clock.Advance(1500us);
  EXPECT_TRUE(link.SendCommand('v'));
  EXPECT_EQ(line.Pending(), 0u);
  EXPECT_EQ(line.SentText(), "v");
  const Clock::time_point left = line.sent().back().left;
  link.ComClose();
  EXPECT_GE(clock.Now() - left, 10s / 9600) << "closed while the byte was on the wire";
  EXPECT_EQ(line.closes(), 1);

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
  EXPECT_EQ(GetEEprom(link, ver, image), Outcome::None);
  EXPECT_EQ(ver, (VersionTexts{"", "", ""}));
  EXPECT_EQ(image, PatternImage(k9600, 5));
  EXPECT_GE(clock.Now() - t0, 3 * 250ms) << "each line waits on its own";
}

// A Get takes nothing from an answer that is not what the unit sends: an
// endless version line or one with a byte that is not printable ASCII, an
// EEPROM answer with more than 256 bytes (noise ahead of the acknowledge
// shifts it), or two reads that differ (noise that makes up for missing
// bytes, on one read only).
TEST_F(UnitProtocolTest, AGetTakesNothingFromAnAnswerThatIsNotTheUnits) {
  struct Case {
    const char* name;
    std::string version;  // after the acknowledge of "v"
    std::string noise;    // after the acknowledge of a "#"
    int noisyRead;        // which "#" gets the noise, and its bytes cut short: -1 every one
    Clock::duration spacing;
    Outcome outcome;
  };
  const Case cases[] = {
      {"sound", "A\rB\rC\r", "", -1, 1ms, Outcome::None},
      {"sound and slow", "A\rB\rC\r", "", -1, 60ms, Outcome::None},
      {"a line feed", "A\nB\rC\r", "", -1, 1ms, Outcome::UnexpectedData},
      {"a tab", "A\tB\rC\r", "", -1, 1ms, Outcome::UnexpectedData},
      {"a byte above 0x7E", "\xA9 KOVA\rB\rC\r", "", -1, 1ms, Outcome::UnexpectedData},
      {"stuck transmitter", std::string(200, '\0'), "", -1, 1ms, Outcome::UnexpectedData},
      {"endless line", std::string(81, 'A') + "\r\r\r", "", -1, 1ms, Outcome::UnexpectedData},
      {"acknowledge in a line",
       "\x06"
       "A\rB\rC\r",
       "", -1, 1ms, Outcome::UnexpectedData},
      {"a byte after the lines", "A\rB\rC\rD", "", -1, 1ms, Outcome::UnexpectedData},
      {"shifted read", "A\rB\rC\r", "\xE5", -2, 1ms, Outcome::UnexpectedData},
      {"shifted slow read", "A\rB\rC\r", "\xE5", -2, 30ms, Outcome::UnexpectedData},
      {"noise makes up for a short first read", "A\rB\rC\r", "\xE5\xE5", 0, 1ms,
       Outcome::UnexpectedData},
      {"noise makes up for a short second read", "A\rB\rC\r", "\xE5\xE5", 1, 1ms,
       Outcome::UnexpectedData},
  };
  const EEpromImage held = PatternImage(k9600, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int reads = 0;
    line.SetResponder([&](std::uint8_t byte, FakeLine& l) {
      if (byte == 'v') l.Deliver("\x06" + c.version, 1ms, c.spacing);
      if (byte != '#') return;
      const int read = reads++;
      // -2: noise after the acknowledge with nothing missing, on every read.
      const bool noisy = c.noisyRead == -2 || c.noisyRead == read;
      const std::string noise = noisy ? c.noise : "";
      const std::size_t missing = c.noisyRead >= 0 && noisy ? noise.size() : 0;
      l.Deliver("\x06" + noise, 1ms, c.spacing);
      l.Deliver(std::span(held.data(), held.size() - missing), c.spacing, c.spacing);
    });
    Reopen();
    VersionTexts ver{"old", "old", "old"};
    EEpromImage image{};
    EXPECT_EQ(GetEEprom(link, ver, image), c.outcome);
    EXPECT_EQ(image == held, c.outcome == Outcome::None);
    EXPECT_EQ(ver[0] != "old", c.outcome == Outcome::None);
  }
}

// Verify lists every byte 4..255 that differs, read twice alike; a
// read-back shifted by noise is unexpected data, not a list of differences
// that a retry cannot mend.
TEST_F(UnitProtocolTest, VerifyListsTheDifferencesOfBytes4To255ButNotOfAShiftedRead) {
  struct Case {
    std::vector<int> changed;
    int stray;
    Outcome outcome;
    std::vector<int> listed;
    std::string sent;
  };
  const EEpromImage image = PatternImage(k9600, 99);
  const Case cases[] = {{{}, 0, Outcome::None, {}, "#"},
                        {{3}, 0, Outcome::None, {}, "#"},
                        {{4, 200}, 0, Outcome::Differences, {4, 200}, "##"},
                        {{}, 1, Outcome::UnexpectedData, {}, "#"},
                        {{7}, 2, Outcome::UnexpectedData, {}, "#"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    EEpromImage held = image;
    for (int address : c.changed)
      held[address] ^= 0x5A;
    FakeUnit unit(line, clock, held, {.stray = c.stray});
    Reopen();
    line.Deliver("stale");  // dropped before asking
    clock.Advance(1ms);
    std::vector<ByteDifference> differences{{1, 2, 3}};
    const std::size_t before = line.sent().size();
    EXPECT_EQ(VerifyEEprom(link, image, differences), c.outcome);
    EXPECT_EQ(line.SentText().substr(before), c.sent);
    std::vector<ByteDifference> listed;
    for (int address : c.listed)
      listed.push_back({address, image[address], held[address]});
    EXPECT_EQ(differences, listed);
  }
}

}  // namespace
}  // namespace kova
