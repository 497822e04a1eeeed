#include "link/unit_protocol.h"

#include <gtest/gtest.h>

#include "fake_unit.h"
#include "link/link_messages.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::FakeUnit;
using test::PatternImage;

constexpr int k9600 = 4;  // index of 9600 in the rate list

class UnitProtocolTest : public ::testing::Test {
 protected:
  void Reopen() {
    line.Close();
    link.ComOpen({"ttyFAKE", 9600});
  }

  FakeClock clock;
  FakeLine line{clock};
  SerialLink link{line, clock};
  VersionTexts ver{"old 0", "old 1", "old 2"};
  EEpromImage image = PatternImage(k9600, 99);
};

TEST_F(UnitProtocolTest, GetReadsVersionsAndTheWholeImage) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  Reopen();
  int done = -1;
  EXPECT_EQ(GetEEprom(link, ver, image, [&](int d, int) { done = d; }), std::nullopt);
  EXPECT_EQ(ver, (VersionTexts{"KOVA PRO", "V3.10", "SIM"}));
  EXPECT_EQ(image, PatternImage(k9600));
  EXPECT_EQ(line.SentText(), "v#");
  EXPECT_EQ(done, 256);
}

// Each way a Get can fail: one message, and versions and image exactly as
// they were, never a mix of old and new bytes.
TEST_F(UnitProtocolTest, AFailedGetChangesNothing) {
  struct Case {
    const char* name;
    sim::UnitFaults faults;
    std::string sent;
    Message message;
  };
  const Case cases[] = {
      {"no unit", test::Silent(), "v", CommunicationsError()},
      {"no acknowledge of the read", test::NoAck("#"), "v#", CommunicationsError()},
      {"stops after 100 bytes", test::StopAfter(100), "v#", CommunicationsError()},
      {"noise ahead of each answer", test::Stray(3), "v#", UnexpectedResponse()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUnit unit(line, clock, PatternImage(k9600), c.faults);
    const VersionTexts verBefore = ver;
    const EEpromImage imageBefore = image;
    Reopen();
    const std::size_t sentBefore = line.sent().size();
    EXPECT_EQ(GetEEprom(link, ver, image), c.message);
    EXPECT_EQ(ver, verBefore);
    EXPECT_EQ(image, imageBefore);
    EXPECT_EQ(line.SentText().substr(sentBefore), c.sent);
  }
}

TEST_F(UnitProtocolTest, MissingVersionLinesBecomeEmptyAndTheReadGoesOn) {
  line.SetResponder([](std::uint8_t byte, FakeLine& l) {
    l.Deliver(std::string_view("\x06", 1), 1ms);
    if (byte == '#') l.Deliver(PatternImage(k9600, 5), 1ms, 1ms);
  });
  Reopen();
  const Clock::time_point t0 = clock.Now();
  EXPECT_EQ(GetEEprom(link, ver, image), std::nullopt);
  EXPECT_EQ(ver, (VersionTexts{"", "", ""}));
  EXPECT_EQ(image, PatternImage(k9600, 5));
  EXPECT_GE(clock.Now() - t0, 3 * 250ms) << "each line waits on its own";
}

TEST_F(UnitProtocolTest, PutSendsExactly252BytesPacedFromWhenEachLeft) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  Reopen();
  EXPECT_EQ(PutEEprom(link, image), std::nullopt);
  ASSERT_EQ(line.sent().size(), 253u);
  EXPECT_EQ(line.sent()[0].byte, '!');
  const Clock::duration wire = 10s / 9600;
  for (int i = 4; i < 256; ++i) {
    const FakeLine::Sent& sent = line.sent()[i - 3];
    ASSERT_EQ(sent.byte, image[i]) << i;
    // Each byte starts at the earliest 10 ms after the previous one left.
    if (i > 4) {
      ASSERT_GE(sent.left - line.sent()[i - 4].left, 10ms + wire) << i;
    }
  }
  EXPECT_EQ(clock.Now() - line.sent().back().left, 10ms) << "the last byte is paced too";
  EXPECT_TRUE(std::equal(image.begin() + 4, image.end(), unit.model().eeprom().begin() + 4));
}

TEST_F(UnitProtocolTest, VerifyComparesOnlyBytes4To255AndStopsAtTheFirstDifference) {
  struct Case {
    int address;  // -1: no difference
    std::optional<Message> message;
    int compared;  // bytes found equal before it stopped
  };
  const Case cases[] = {{-1, std::nullopt, 256},
                        {0, std::nullopt, 256},
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
