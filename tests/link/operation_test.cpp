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
constexpr Operation kAll[] = {Operation::Get, Operation::Put, Operation::Reset};

// The window's document after start-up: 9600 bit/s both ways.
Document Window() {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.Ver = {"v0", "v1", "v2"};
  return doc;
}

EEpromImage Packed(Document doc) {
  PackEEprom(doc);
  return doc.image;
}

class OperationTest : public ::testing::Test {
 protected:
  OperationResult Run(Operation kind, const Document& doc) {
    OperationRequest request;
    request.kind = kind;
    request.document = doc;
    request.device = "/dev/ttyUSB0";
    request.port = "COM3";
    return RunOperation(request, line, clock, [this](const Progress& p) {
      if (phases.empty() || phases.back() != p.phase) phases.push_back(p.phase);
      last = p;
    });
  }

  FakeClock clock;
  FakeLine line{clock};
  std::vector<std::string> phases;
  Progress last;
};

TEST_F(OperationTest, GetTakesVersionsAndImageAndInterpretsThem) {
  Document onUnit = Window();
  onUnit.cfg.Zones[2].CloseRIC1 = "1234";
  EEpromImage held = Packed(onUnit);
  held[0] = 5;  // 1234 hours and 5 minutes on the unit's clock
  held[1] = 0xD2;
  held[2] = 0x04;
  FakeUnit unit(line, clock, held);

  const OperationResult result = Run(Operation::Get, Window());
  ASSERT_TRUE(result.succeeded);
  EXPECT_EQ(result.document->image, held) << "the image exactly as read";
  EXPECT_EQ(result.document->cfg.Ver, (VersionTexts{"KOVA PRO", "V3.10", "SIM"}));
  EXPECT_EQ(result.document->cfg.Zones[2].CloseRIC1, "1234");
  EXPECT_EQ(result.document->cfg.ETI, "1234:05");
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(phases, std::vector<std::string>{"GET"});
  EXPECT_EQ(last, (Progress{"GET", 256, 256}));
}

TEST_F(OperationTest, PutWritesWaitsClosedFollowsTheNewRateAndVerifies) {
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  doc.cfg.ClkJog = "9";
  FakeUnit unit(line, clock, Packed(Window()));
  const OperationResult result = Run(Operation::Put, doc);
  ASSERT_TRUE(result.succeeded);
  EXPECT_EQ(result.document->cfg.BaudPC, k19200);
  EXPECT_EQ(result.document->cfg.ClkJog, "4") << "the jog that packing forces";
  EXPECT_EQ(result.document->image, Packed(doc));
  EXPECT_EQ(unit.Rate(), 19200);
  ASSERT_EQ(line.opens().size(), 2u);
  EXPECT_EQ(line.opens()[0].rate, 9600);
  EXPECT_EQ(line.opens()[1].rate, 19200);
  // Between the last image byte and the read command the port was closed
  // for the whole pause.
  const auto& sent = line.sent();
  EXPECT_EQ(sent.back().byte, '#');
  const Clock::duration gap = sent.back().left - sent[sent.size() - 2].left;
  EXPECT_GE(gap, 10ms + 3500ms);
  EXPECT_LT(gap, 10ms + 3500ms + 5ms);
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(phases, (std::vector<std::string>{"PUT", "VERIFY"}));
}

TEST_F(OperationTest, PutRefusedByPackingDoesNotTouchThePort) {
  Document doc = Window();
  doc.cfg.Zones[2].CloseRIC1 = "12x";
  const OperationResult result = Run(Operation::Put, doc);
  EXPECT_FALSE(result.document);
  EXPECT_EQ(result.refusedControl, "txtCloseRIC1(2)");
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.messages[0].text.find("12x"), std::string::npos) << result.messages[0].text;
  EXPECT_TRUE(line.opens().empty());
}

TEST_F(OperationTest, PutWithoutAcknowledgeStopsThere) {
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  FakeUnit unit(line, clock, PatternImage(k9600), test::NoAck("!"));
  const OperationResult result = Run(Operation::Put, doc);
  EXPECT_EQ(result.messages, std::vector<Message>{CommunicationsError()});
  EXPECT_FALSE(result.document) << "the PC rate stays: the unit was told nothing";
  EXPECT_EQ(line.SentText(), "!");
  EXPECT_EQ(line.opens().size(), 1u) << "no reopening, no read-back";
  EXPECT_LT(clock.Now().time_since_epoch(), 1s) << "no settling pause";
  EXPECT_FALSE(line.IsOpen());
}

TEST_F(OperationTest, APortThatFailsIsNamedWithItsReasonAndLeftClosed) {
  struct Case {
    std::function<void()> breakIt;
    std::string text;
  };
  const Case cases[] = {
      {[&] { line.RefuseNextOpen("the device is in use by another program"); },
       "Could not open COM3 (/dev/ttyUSB0): the device is in use by another program."},
      {[&] { line.DropAfterWrites(0); },
       "The connection through COM3 (/dev/ttyUSB0) was lost: the device stopped working."},
  };
  for (const Case& c : cases) {
    for (Operation kind : kAll) {
      c.breakIt();
      const OperationResult result = Run(kind, Window());
      EXPECT_EQ(result.messages, (std::vector<Message>{{"Communications Error", c.text}}));
      EXPECT_FALSE(result.document);
      EXPECT_FALSE(line.IsOpen());
    }
  }
}

TEST_F(OperationTest, NoRateSelectedIsSaidBeforeTouchingThePort) {
  Document doc = Window();
  doc.cfg.BaudPC = kNoSelection;
  for (Operation kind : kAll) {
    EXPECT_EQ(Run(kind, doc).messages, std::vector<Message>{NoRateSelected()});
  }
  EXPECT_TRUE(line.opens().empty());
}

TEST_F(OperationTest, ResetSendsROnlyAndClosesWithoutWaiting) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  const OperationResult result = Run(Operation::Reset, Window());
  EXPECT_TRUE(result.succeeded);
  EXPECT_FALSE(result.document);
  EXPECT_EQ(line.SentText(), "R");
  EXPECT_FALSE(line.IsOpen());
  EXPECT_LT(clock.Now().time_since_epoch(), 2ms);
  EXPECT_EQ(phases, std::vector<std::string>{"RESET"});
}

}  // namespace
}  // namespace kova
