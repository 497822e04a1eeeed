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
  void Open() { link.ComOpen({"ttyFAKE", 9600}); }

  FakeClock clock;
  FakeLine line{clock};
  SerialLink link{line, clock};
  VersionTexts ver{"old 0", "old 1", "old 2"};
  EEpromImage image = PatternImage(k9600, 99);
};

TEST_F(UnitProtocolTest, GetReadsVersionsAndTheWholeImage) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  Open();
  std::vector<int> progress;
  EXPECT_EQ(GetEEprom(link, ver, image, [&](int done, int) { progress.push_back(done); }),
            std::nullopt);
  EXPECT_EQ(ver, (VersionTexts{"KOVA PRO", "V3.10", "SIM"}));
  EXPECT_EQ(image, PatternImage(k9600));
  EXPECT_EQ(line.SentText(), "v#");
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 256);
}

// Each way a Get can fail: one message, and the versions and image exactly
// as they were.
TEST_F(UnitProtocolTest, AFailedGetChangesNothing) {
  struct Case {
    const char* name;
    sim::UnitFaults faults;
    std::string sent;
    Message message;
  };
  const Case cases[] = {
      {"no unit", {.silent = true}, "v", CommunicationsError()},
      {"no acknowledge of the read", {.noAck = "#"}, "v#", CommunicationsError()},
      {"stops after 100 bytes", {.stopAfter = 100}, "v#", CommunicationsError()},
      {"stops after 0 bytes", {.stopAfter = 0}, "v#", CommunicationsError()},
      {"noise ahead of each answer", {.stray = 3}, "v#", UnexpectedResponse()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUnit unit(line, clock, PatternImage(k9600), c.faults);
    const VersionTexts verBefore = ver;
    const EEpromImage imageBefore = image;
    line.Close();
    Open();
    const std::size_t sentBefore = line.sent().size();
    EXPECT_EQ(GetEEprom(link, ver, image), c.message);
    EXPECT_EQ(ver, verBefore);
    EXPECT_EQ(image, imageBefore);
    EXPECT_EQ(line.SentText().substr(sentBefore), c.sent);
  }
}

TEST_F(UnitProtocolTest, GetGivesUpAt250msOfSilence) {
  Open();
  const Clock::time_point t0 = clock.Now();
  EXPECT_EQ(GetEEprom(link, ver, image), CommunicationsError());
  EXPECT_GT(clock.Now() - t0, 250ms);
  EXPECT_LT(clock.Now() - t0, 260ms);
}

TEST_F(UnitProtocolTest, MissingVersionLinesBecomeEmptyAndTheReadGoesOn) {
  line.SetResponder([](std::uint8_t byte, FakeLine& l) {
    if (byte == 'v') l.Deliver(std::string_view("\x06", 1), 1ms);
    if (byte == '#') {
      l.Deliver(std::string_view("\x06", 1), 1ms);
      const EEpromImage data = PatternImage(k9600, 5);
      l.Deliver(data, 1ms, 1ms);
    }
  });
  Open();
  const Clock::time_point t0 = clock.Now();
  EXPECT_EQ(GetEEprom(link, ver, image), std::nullopt);
  EXPECT_EQ(ver, (VersionTexts{"", "", ""}));
  EXPECT_EQ(image, PatternImage(k9600, 5));
  EXPECT_GE(clock.Now() - t0, 3 * 250ms) << "each line waits on its own";
}

TEST_F(UnitProtocolTest, AVersionLineCutShortIsKeptAsItCame) {
  line.SetResponder([](std::uint8_t byte, FakeLine& l) {
    if (byte == 'v') l.Deliver(std::string_view("\x06V1\rV2", 6));
    if (byte == '#') {
      l.Deliver(std::string_view("\x06", 1));
      l.Deliver(EEpromImage{});
    }
  });
  Open();
  EXPECT_EQ(GetEEprom(link, ver, image), std::nullopt);
  EXPECT_EQ(ver, (VersionTexts{"V1", "V2", ""}));
}

TEST_F(UnitProtocolTest, PutSendsExactly252BytesPacedFromWhenEachLeft) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  Open();
  std::vector<int> progress;
  EXPECT_EQ(PutEEprom(link, image, [&](int done, int) { progress.push_back(done); }), std::nullopt);
  ASSERT_EQ(line.sent().size(), 253u);
  EXPECT_EQ(line.sent()[0].byte, '!');
  for (int i = 4; i < 256; ++i)
    ASSERT_EQ(line.sent()[i - 3].byte, image[i]) << i;
  const Clock::duration wire = 10s / 9600;
  for (std::size_t i = 2; i < line.sent().size(); ++i) {
    // The next byte leaves one wire time after it started, which is at the
    // earliest 10 ms after the previous one left.
    ASSERT_GE(line.sent()[i].left - line.sent()[i - 1].left, 10ms + wire) << i;
  }
  EXPECT_EQ(clock.Now() - line.sent().back().left, 10ms) << "the last byte is paced too";
  EXPECT_EQ(unit.model().eeprom()[4], image[4]);
  EXPECT_EQ(unit.model().eeprom()[255], image[255]);
  EXPECT_EQ(progress.back(), 252);
}

TEST_F(UnitProtocolTest, PutWithoutAcknowledgeSendsNothingMore) {
  FakeUnit unit(line, clock, PatternImage(k9600), {.noAck = "!"});
  Open();
  EXPECT_EQ(PutEEprom(link, image), CommunicationsError());
  EXPECT_EQ(line.SentText(), "!");
}

TEST_F(UnitProtocolTest, VerifyComparesOnlyBytes4To255) {
  struct Case {
    int address;  // -1: no difference
    std::optional<Message> message;
    std::size_t readAtMost;  // data bytes read before stopping
  };
  const Case cases[] = {
      {-1, std::nullopt, 256},     {0, std::nullopt, 256},          {3, std::nullopt, 256},
      {4, VerificationError(), 5}, {200, VerificationError(), 201}, {255, VerificationError(), 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EEpromImage held = image;
    if (c.address >= 0) held[c.address] ^= 0x5A;
    FakeUnit unit(line, clock, held);
    line.Close();
    Open();
    std::vector<int> progress;
    EXPECT_EQ(VerifyEEprom(link, image, [&](int done, int) { progress.push_back(done); }),
              c.message);
    EXPECT_EQ(static_cast<std::size_t>(progress.back()) + (c.message ? 1 : 0), c.readAtMost)
        << "reads no further than the first difference";
  }
}

TEST_F(UnitProtocolTest, VerifyDropsStaleInputBeforeAsking) {
  FakeUnit unit(line, clock, image);
  Open();
  line.Deliver("junk");
  clock.Advance(1ms);
  EXPECT_EQ(VerifyEEprom(link, image), std::nullopt);
}

TEST_F(UnitProtocolTest, VerifyReportsAMissingAnswer) {
  FakeUnit unit(line, clock, image, {.stopAfter = 10});
  Open();
  EXPECT_EQ(VerifyEEprom(link, image), CommunicationsError());
}

TEST_F(UnitProtocolTest, ResetSendsTheOneByte) {
  Open();
  SendReset(link);
  EXPECT_EQ(line.SentText(), "R");
}

TEST_F(UnitProtocolTest, ALineThatDiesMidWriteThrows) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  Open();
  line.DropAfterWrites(50);
  EXPECT_THROW(PutEEprom(link, image), LineError);
  EXPECT_EQ(line.sent().size(), 50u);
}

}  // namespace
}  // namespace kova
