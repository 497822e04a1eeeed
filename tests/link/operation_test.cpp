#include "link/operation.h"

#include <gtest/gtest.h>

#include "fake_unit.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/unit_protocol.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::FakeUnit;
using test::PatternImage;

constexpr int k9600 = 4, k19200 = 3;

// A document as the window holds it after start-up: 9600 both ways.
Document StartupDocument() {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.Ver = {"v0", "v1", "v2"};
  return doc;
}

// The image a unit holding `doc`'s configuration would have.
EEpromImage Packed(Document doc) {
  PackEEprom(doc);
  return doc.image;
}

class OperationTest : public ::testing::Test {
 protected:
  OperationResult Run(Operation kind, const Document& doc) {
    OperationRequest request{.kind = kind, .document = doc, .device = "ttyFAKE"};
    return RunOperation(request, line, clock, [this](const Progress& p) { progress.push_back(p); });
  }
  std::vector<std::string> Phases() const {
    std::vector<std::string> phases;
    for (const Progress& p : progress) {
      if (phases.empty() || phases.back() != p.phase) phases.push_back(p.phase);
    }
    return phases;
  }

  FakeClock clock;
  FakeLine line{clock};
  std::vector<Progress> progress;
};

TEST_F(OperationTest, GetTakesVersionsAndImageAndInterpretsThem) {
  Document onUnit = StartupDocument();
  onUnit.cfg.Zones[2].CloseRIC1 = "1234";
  onUnit.cfg.SndrTime = "17";
  EEpromImage held = Packed(onUnit);
  held[0] = 5;  // 1234 hours and 5 minutes on the unit's clock
  held[1] = 0xD2;
  held[2] = 0x04;
  FakeUnit unit(line, clock, held);

  const Document before = StartupDocument();
  const OperationResult result = Run(Operation::Get, before);
  ASSERT_TRUE(result.succeeded) << (result.messages.empty() ? "" : result.messages[0].text);
  ASSERT_TRUE(result.document);
  EXPECT_EQ(result.document->image, held) << "the image exactly as read";
  EXPECT_EQ(result.document->cfg.Ver, (VersionTexts{"KOVA PRO", "V3.10", "SIM"}));
  EXPECT_EQ(result.document->cfg.Zones[2].CloseRIC1, "1234");
  EXPECT_EQ(result.document->cfg.SndrTime, "17");
  EXPECT_EQ(result.document->cfg.ETI, "1234:05");
  EXPECT_EQ(result.document->cfg.BaudPC, before.cfg.BaudPC) << "Get leaves the PC rate alone";
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(Phases(), std::vector<std::string>{"GET"});
  EXPECT_EQ(progress.back(), (Progress{"GET", 256, 256}));
}

TEST_F(OperationTest, GetPassesOnWhatInterpretingHadToSay) {
  EEpromImage held = Packed(StartupDocument());
  const int flags = addr::kAlphaRangeStart + 2;  // a three-bit function slot
  held[flags] = static_cast<std::uint8_t>((held[flags] & 0x1F) | (5 << 5));
  FakeUnit unit(line, clock, held);
  const OperationResult result = Run(Operation::Get, StartupDocument());
  EXPECT_TRUE(result.succeeded);
  EXPECT_FALSE(result.warnings.empty());
}

TEST_F(OperationTest, AFailedGetLeavesTheDocumentAndClosesThePort) {
  FakeUnit unit(line, clock, PatternImage(k9600), {.stopAfter = 100});
  const OperationResult result = Run(Operation::Get, StartupDocument());
  EXPECT_FALSE(result.succeeded);
  EXPECT_FALSE(result.document) << "nothing of a half answer is taken over";
  EXPECT_EQ(result.messages, std::vector<Message>{CommunicationsError()});
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(line.closes(), 1);
}

TEST_F(OperationTest, PutWritesFollowsTheNewRateAndVerifies) {
  Document doc = StartupDocument();
  doc.cfg.BaudKova = k19200;
  doc.cfg.ClkJog = "9";
  FakeUnit unit(line, clock, Packed(StartupDocument()));
  const OperationResult result = Run(Operation::Put, doc);
  ASSERT_TRUE(result.succeeded) << (result.messages.empty() ? "" : result.messages[0].text);
  ASSERT_TRUE(result.document);
  EXPECT_EQ(result.document->cfg.BaudPC, k19200);
  EXPECT_EQ(result.document->cfg.ClkJog, "4") << "the jog that packing forces";
  EXPECT_EQ(result.document->image, Packed(doc));
  EXPECT_EQ(unit.Rate(), 19200);
  ASSERT_EQ(line.opens().size(), 2u);
  EXPECT_EQ(line.opens()[0].rate, 9600);
  EXPECT_EQ(line.opens()[1].rate, 19200);
  EXPECT_EQ(line.sent().back().byte, '#');
  EXPECT_EQ(line.sent().back().rate, 19200);
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(Phases(), (std::vector<std::string>{"PUT", "VERIFY"}));
}

TEST_F(OperationTest, PutWaitsTheSettlingPauseWithThePortClosed) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  const OperationResult result = Run(Operation::Put, StartupDocument());
  ASSERT_TRUE(result.succeeded);
  // Find the last image byte and the read command: between them the port was
  // closed for the whole pause.
  const auto& sent = line.sent();
  const Clock::duration gap = sent.back().left - sent[sent.size() - 2].left;
  EXPECT_GE(gap, 10ms + 3500ms);
  EXPECT_LT(gap, 10ms + 3500ms + 5ms);
}

TEST_F(OperationTest, PutRefusedByPackingSendsNothing) {
  Document doc = StartupDocument();
  doc.cfg.Zones[2].CloseRIC1 = "12x";
  const OperationResult result = Run(Operation::Put, doc);
  EXPECT_FALSE(result.succeeded);
  EXPECT_FALSE(result.document);
  EXPECT_EQ(result.refusedControl, "txtCloseRIC1(2)");
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.messages[0].text.find("12x"), std::string::npos) << result.messages[0].text;
  EXPECT_TRUE(line.opens().empty()) << "the port is not even opened";
}

TEST_F(OperationTest, PutWithoutAcknowledgeStopsThere) {
  Document doc = StartupDocument();
  doc.cfg.BaudKova = k19200;
  FakeUnit unit(line, clock, PatternImage(k9600), {.noAck = "!"});
  const Clock::time_point t0 = clock.Now();
  const OperationResult result = Run(Operation::Put, doc);
  EXPECT_EQ(result.messages, std::vector<Message>{CommunicationsError()});
  EXPECT_FALSE(result.document) << "the PC rate stays: the unit was told nothing";
  EXPECT_EQ(line.SentText(), "!");
  EXPECT_EQ(line.opens().size(), 1u) << "no reopening, no read-back";
  EXPECT_LT(clock.Now() - t0, 1s) << "no settling pause";
  EXPECT_FALSE(line.IsOpen());
}

// Once the unit has the whole image it listens at its new rate, so the PC
// follows whatever the read-back then finds.
TEST_F(OperationTest, AFailedReadBackStillFollowsTheUnit) {
  struct Case {
    const char* name;
    sim::UnitFaults faults;
    Message message;
  };
  const Case cases[] = {
      {"read cut short", {.stopAfter = 50}, CommunicationsError()},
      {"byte not taken", {.corruptAt = 77}, VerificationError()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document doc = StartupDocument();
    doc.cfg.BaudKova = k19200;
    FakeUnit unit(line, clock, PatternImage(k9600), c.faults);
    const OperationResult result = Run(Operation::Put, doc);
    EXPECT_EQ(result.messages, std::vector<Message>{c.message});
    ASSERT_TRUE(result.document);
    EXPECT_EQ(result.document->cfg.BaudPC, k19200);
    EXPECT_FALSE(line.IsOpen());
  }
}

TEST_F(OperationTest, ALineThatDiesNamesThePortAndTheReason) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  line.DropAfterWrites(20);
  OperationRequest request{.kind = Operation::Put,
                           .document = StartupDocument(),
                           .device = "/dev/ttyUSB0",
                           .port = "COM3"};
  const OperationResult result = RunOperation(request, line, clock);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0].title, "Communications Error");
  EXPECT_EQ(result.messages[0].text,
            "The connection through COM3 (/dev/ttyUSB0) was lost: the device stopped working.");
  EXPECT_FALSE(result.document);
  EXPECT_FALSE(line.IsOpen());
}

TEST_F(OperationTest, APortThatWillNotOpenIsNamedWithItsReason) {
  for (Operation kind : {Operation::Get, Operation::Put, Operation::Reset}) {
    line.RefuseNextOpen("the device is in use by another program");
    const OperationResult result = Run(kind, StartupDocument());
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text,
              "Could not open ttyFAKE: the device is in use by another program.");
    EXPECT_FALSE(result.document);
    EXPECT_TRUE(line.sent().empty());
  }
}

TEST_F(OperationTest, NoRateSelectedIsSaidBeforeTouchingThePort) {
  Document doc = StartupDocument();
  doc.cfg.BaudPC = kNoSelection;
  for (Operation kind : {Operation::Get, Operation::Put, Operation::Reset}) {
    const OperationResult result = Run(kind, doc);
    EXPECT_EQ(result.messages, std::vector<Message>{NoRateSelected()});
  }
  EXPECT_TRUE(line.opens().empty());
}

TEST_F(OperationTest, ResetSendsROnlyAndClosesWithoutWaiting) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  const Clock::time_point t0 = clock.Now();
  const OperationResult result = Run(Operation::Reset, StartupDocument());
  EXPECT_TRUE(result.succeeded);
  EXPECT_FALSE(result.document);
  EXPECT_EQ(line.SentText(), "R");
  EXPECT_FALSE(line.IsOpen());
  EXPECT_LT(clock.Now() - t0, 2ms);
  EXPECT_EQ(Phases(), std::vector<std::string>{"RESET"});
}

TEST_F(OperationTest, EachOperationAfterAFailureStartsClean) {
  FakeUnit broken(line, clock, PatternImage(k9600), {.stray = 2});
  EXPECT_FALSE(Run(Operation::Get, StartupDocument()).succeeded);
  FakeUnit healthy(line, clock, PatternImage(k9600));
  const OperationResult result = Run(Operation::Get, StartupDocument());
  EXPECT_TRUE(result.succeeded);
  EXPECT_EQ(result.document->image, PatternImage(k9600));
}

}  // namespace
}  // namespace kova
