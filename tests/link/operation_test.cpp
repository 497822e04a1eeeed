// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/operation.h"

#include <QTest>
#include <QThread>

#include "fake_unit.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/operation_worker.h"
#include "link/unit_protocol.h"
#include "qt_app.h"

namespace kova {

void PrintTo(const Message& m, std::ostream* out) {
  *out << m.title << ": " << m.text;
}

namespace {

using namespace std::chrono_literals;
using test::FakeUnit;
using test::PatternImage;

constexpr int k9600 = 4, k19200 = 3;
const Message kLost{
    "Communications Error",
    "The connection through COM3 (/dev/ttyUSB0) was lost: the device stopped working."};

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
  static OperationRequest Request(Operation kind, const Document& doc) {
    return {.kind = kind, .document = doc, .device = "/dev/ttyUSB0", .port = "COM3"};
  }
  OperationResult Run(Operation kind, const Document& doc) {
    return RunOperation(Request(kind, doc), line, clock, [this](const Progress& p) {
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
  const EEpromImage held = Packed(onUnit);
  FakeUnit unit(line, clock, held);

  const OperationResult result = Run(Operation::Get, Window());
  ASSERT_TRUE(result.succeeded);
  EXPECT_EQ(line.SentText(), "v##") << "the EEPROM read twice";
  EXPECT_TRUE(result.rateConfirmed);
  EXPECT_EQ(result.document->image, held) << "the image exactly as read";
  EXPECT_EQ(result.document->cfg.Ver, (VersionTexts{"KOVA PRO", "V3.10", "SIM"}));
  EXPECT_EQ(result.document->cfg.Zones[2].CloseRIC1, "1234");
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(phases, std::vector<std::string>{"GET"});
  EXPECT_EQ(last, (Progress{"GET", 512, 512}));
}

TEST_F(OperationTest, PutWritesPacedWaitsClosedFollowsTheNewRateAndVerifies) {
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  doc.cfg.ClkJog = "9";
  FakeUnit unit(line, clock, Packed(Window()));
  const OperationResult result = Run(Operation::Put, doc);
  ASSERT_TRUE(result.succeeded);
  EXPECT_EQ(result.unit, UnitState::Verified);
  EXPECT_EQ(result.unitBaud, 19200);
  EXPECT_EQ(result.document->cfg.BaudPC, k19200);
  EXPECT_EQ(result.document->cfg.ClkJog, "4") << "the jog that packing forces";
  EXPECT_EQ(result.document->image, Packed(doc));
  EXPECT_EQ(unit.Rate(), 19200);
  EXPECT_EQ(line.opens(),
            (std::vector<LineSettings>{{"/dev/ttyUSB0", 9600}, {"/dev/ttyUSB0", 19200}}));
  // The write command, bytes 4 to 255 each starting at the earliest 10 ms
  // after the previous one left, then the read-back.
  const EEpromImage& image = result.document->image;
  ASSERT_EQ(line.SentText(), "!" + std::string(image.begin() + 4, image.end()) + "#");
  const auto& sent = line.sent();
  for (std::size_t i = 2; i < 253; ++i) {
    ASSERT_GE(sent[i].left - sent[i - 1].left, 10ms + 10s / 9600) << i;
  }
  // Between the last image byte and the read command the port was closed
  // for the whole pause.
  const Clock::duration gap = sent[253].left - sent[252].left;
  EXPECT_GE(gap, 10ms + 3500ms);
  EXPECT_LT(gap, 10ms + 3500ms + 10ms);
  EXPECT_FALSE(line.IsOpen());
  EXPECT_EQ(phases, (std::vector<std::string>{"PUT", "VERIFY"}));
}

TEST_F(OperationTest, PutRefusedByPackingDoesNotTouchThePort) {
  Document doc = Window();
  doc.cfg.Zones[2].CloseRIC1 = "12x";
  const OperationResult result = Run(Operation::Put, doc);
  EXPECT_FALSE(result.document);
  EXPECT_EQ(result.refusedControl, "txtCloseRIC1(2)");
  EXPECT_EQ(result.unit, UnitState::Unchanged);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.messages[0].text.find("12x"), std::string::npos) << result.messages[0].text;
  EXPECT_TRUE(line.opens().empty());
}

// Each way the unit can fail a Get, and a write or a version asked first
// that it does not answer: its outcome and message, nothing taken over
// (never a mix of old and new bytes), the port closed. The Put stops there
// (no pause, no new rate, no read-back) and says that the unit was not
// changed.
TEST_F(OperationTest, WhatTheUnitFailsEndsInItsMessageAndNothingTaken) {
  struct Case {
    Operation kind;
    sim::UnitFaults faults;
    bool versionFirst;
    std::string sent;
    Outcome outcome;
  };
  using enum Outcome;
  const Case cases[] = {
      {Operation::Get, {.silent = true}, false, "v", NoAnswer},
      {Operation::Get, {.noAck = "#"}, false, "v#", NoAnswer},
      {Operation::Get, {.stopAfter = 100}, false, "v#", NoAnswer},
      // Noise ahead of each answer: the acknowledge lands in the first line.
      {Operation::Get, {.stray = 3}, false, "v", UnexpectedData},
      // Noise after the acknowledge, and after the version lines.
      {Operation::Get, {.afterAck = 2}, false, "v", UnexpectedData},
      {Operation::Get, {.trail = 1}, false, "v", UnexpectedData},
      // Noise that makes up for a short read lands in the version lines.
      {Operation::Get, {.stopAfter = 254, .afterAck = 2}, false, "v", UnexpectedData},
      {Operation::Put, {.noAck = "!"}, false, "!", NoAnswer},
      {Operation::Put, {.silent = true}, true, "v", NoAnswer},
      {Operation::Put, {.trail = 2}, true, "v", UnexpectedData},
      {Operation::Reset, {.silent = true}, true, "v", NoAnswer},
  };
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    FakeUnit unit(line, clock, PatternImage(k9600), c.faults);
    const std::size_t sent = line.sent().size(), opens = line.opens().size();
    const Clock::time_point start = clock.Now();
    OperationRequest request = Request(c.kind, doc);
    request.askVersionFirst = c.versionFirst;
    const OperationResult result = RunOperation(request, line, clock);
    std::vector<Message> messages{MessageFor(c.outcome)};
    if (c.kind == Operation::Put) messages.push_back(UnitUnchanged());
    EXPECT_EQ(result.messages, messages);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_FALSE(result.document);
    EXPECT_FALSE(result.rateConfirmed);
    EXPECT_FALSE(result.writeLeftOpen);
    EXPECT_EQ(result.unit, UnitState::Unchanged);
    if (c.kind != Operation::Reset) {
      EXPECT_EQ(result.unitBaud, 9600);
    }
    EXPECT_EQ(line.SentText().substr(sent), c.sent);
    EXPECT_EQ(line.opens().size(), opens + 1);
    EXPECT_LT(clock.Now() - start, 1s);
    EXPECT_FALSE(line.IsOpen());
  }
}

// After a Put that failed, the result and its last message say what the
// unit holds; the PC follows a new rate when the whole image went, but the
// rate counts as the unit's (rateConfirmed) only when the unit answered the
// read-back at it. A write cut short leaves the unit in write mode.
TEST_F(OperationTest, APutThatFailsSaysWhatTheUnitHolds) {
  struct Case {
    const char* name;
    sim::UnitFaults faults;
    int dropAfterWrites;  // -1: the line holds
    int deafAfterWrites;  // -1: the unit hears it all
    UnitState unit;
    std::vector<Message> messages;
    std::vector<int> differences = {};
  };
  using enum UnitState;
  const Message sent = UnitSentNotConfirmed(19200, 9600);
  const Case cases[] = {
      {"line lost at the first image byte", {}, 1, -1, Partial, {kLost, UnitPartlyWritten(1, 252)}},
      {"line lost after 99 bytes", {}, 100, -1, Partial, {kLost, UnitPartlyWritten(100, 252)}},
      {"cable pulled between adapter and unit after 99 image bytes",
       {},
       -1,
       100,
       Written,
       {CommunicationsError(), sent}},
      {"a cell that does not take it",
       {.corruptAt = 77},
       -1,
       -1,
       Differs,
       {VerificationError(), UnitWrittenNotVerified(19200)},
       {77}},
      {"noise ahead of the read-back", {.stray = 1}, -1, -1, Written, {UnexpectedResponse(), sent}},
      {"no read-back", {.noAck = "#"}, -1, -1, Written, {CommunicationsError(), sent}},
  };
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  const EEpromImage packed = Packed(doc);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUnit unit(line, clock, PatternImage(k9600), c.faults);
    line.DropAfterWrites(c.dropAfterWrites);
    line.DeafAfterWrites(c.deafAfterWrites);
    const OperationResult result = Run(Operation::Put, doc);
    const bool wholeImageSent = c.unit == Written || c.unit == Differs;
    EXPECT_EQ(result.messages, c.messages);
    EXPECT_EQ(result.unit, c.unit);
    EXPECT_EQ(result.unitBaud, wholeImageSent ? 19200 : 9600);
    EXPECT_EQ(result.rateConfirmed, c.unit == Differs) << "only an answered read-back";
    EXPECT_EQ(result.writeLeftOpen, c.unit == Partial);
    EXPECT_EQ(result.document.has_value(), wholeImageSent);
    if (result.document) {
      EXPECT_EQ(result.document->cfg.BaudPC, k19200);
    }
    std::vector<ByteDifference> differences;
    for (int address : c.differences)
      differences.push_back({address, packed[address], packed[address] ^ 0xFF});
    EXPECT_EQ(result.differences, differences);
    EXPECT_FALSE(line.IsOpen());
  }
}

// Asked to stop, an operation ends within a poll of the link, the port
// closed, saying it was interrupted and what a Put left in the unit; the
// document is taken only when the unit holds the whole new image.
TEST_F(OperationTest, AnOperationAskedToStopEndsSoonSayingWhatTheUnitHolds) {
  struct Case {
    const char* name;
    Operation kind;
    std::string phase;  // the stop is asked when this phase reports `done`
    int done;           // ("" : before the operation starts)
    UnitState unit;
    std::vector<Message> messages;
    std::size_t sent;  // bytes on the line, commands included
  };
  const std::vector<Message> unchanged{Interrupted(), UnitUnchanged()};
  const Case cases[] = {
      {"put, before it starts", Operation::Put, "", 0, UnitState::Unchanged, unchanged, 0},
      {"put, before the write command", Operation::Put, "PUT", 0, UnitState::Unchanged, unchanged,
       0},
      {"put, after the first image byte",
       Operation::Put,
       "PUT",
       1,
       UnitState::Partial,
       {Interrupted(), UnitPartlyWritten(1, 252)},
       2},
      {"put, after 137 image bytes",
       Operation::Put,
       "PUT",
       137,
       UnitState::Partial,
       {Interrupted(), UnitPartlyWritten(137, 252)},
       138},
      {"put, in the pause before the read-back",
       Operation::Put,
       "VERIFY",
       0,
       UnitState::Written,
       {Interrupted(), UnitSentNotConfirmed(19200, 9600)},
       253},
      {"get, halfway through the image",
       Operation::Get,
       "GET",
       128,
       UnitState::Unchanged,
       {Interrupted()},
       2},
  };
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock fresh;
    FakeLine wire{fresh};
    FakeUnit unit(wire, fresh, PatternImage(k9600));
    std::atomic<bool> stop{c.phase.empty()};
    Clock::time_point askedAt = fresh.Now();
    OperationRequest request = Request(c.kind, doc);
    request.cancel = &stop;
    const OperationResult result = RunOperation(request, wire, fresh, [&](const Progress& p) {
      if (stop || p.phase != c.phase || p.done != c.done) return;
      stop = true;
      askedAt = fresh.Now();
    });
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.messages, c.messages);
    EXPECT_EQ(result.outcome, Outcome::Interrupted);
    EXPECT_EQ(result.unit, c.unit);
    EXPECT_EQ(result.writeLeftOpen, c.unit == UnitState::Partial);
    EXPECT_EQ(wire.sent().size(), c.sent);
    EXPECT_EQ(result.document.has_value(), c.unit == UnitState::Written);
    EXPECT_FALSE(wire.IsOpen());
    EXPECT_LT(fresh.Now() - askedAt, 30ms);
  }
}

// A line that never stops talking, or talks too slowly to be a unit, holds
// no operation past its deadline, which the window and kovactl can know in
// advance.
TEST_F(OperationTest, EveryOperationEndsByItsDeadlineWhateverTheLineDoes) {
  struct Line {
    const char* name;
    std::uint8_t fill;
    Clock::duration spacing;
  };
  const Line lines[] = {{"stuck at zero", 0x00, 10s / 9600},
                        {"endless text", 'A', 1ms},
                        {"a slow trickle", 'A', 200ms},
                        {"slow carriage returns", '\r', 240ms}};
  Document doc = Window();
  doc.cfg.BaudKova = k19200;
  for (const Line& l : lines) {
    for (Operation kind : {Operation::Get, Operation::Put}) {
      SCOPED_TRACE(std::string(l.name) + (kind == Operation::Get ? " get" : " put"));
      line.SetResponder([&](std::uint8_t byte, FakeLine& fake) {
        if (byte == 'v' || byte == '#' || byte == '!')
          fake.Deliver(std::string(3000, static_cast<char>(l.fill)), 1ms, l.spacing);
      });
      const Clock::time_point start = clock.Now();
      const OperationResult result = Run(kind, doc);
      EXPECT_FALSE(result.succeeded);
      EXPECT_FALSE(result.messages.empty());
      EXPECT_LE(clock.Now() - start, OperationDeadline(Request(kind, doc)));
      EXPECT_FALSE(line.IsOpen());
    }
  }
  // Deadlines grow with the bytes' time on the wire, and the pauses.
  EXPECT_LT(OperationDeadline(Operation::Get, 115200, 115200),
            OperationDeadline(Operation::Get, 1200, 1200));
  EXPECT_LT(OperationDeadline(Operation::Put, 9600, 115200),
            OperationDeadline(Operation::Put, 9600, 1200));
  EXPECT_GT(OperationDeadline(Operation::Put, 9600, 9600), 252 * 10ms + 3500ms);
  EXPECT_LT(OperationDeadline(Operation::Reset, 9600, 9600),
            OperationDeadline(Operation::Get, 9600, 9600));
}

TEST_F(OperationTest, NoRateOrAPortThatFailsIsOneMessageAndLeavesThePortClosed) {
  Document noRate = Window();
  noRate.cfg.BaudPC = kNoSelection;
  struct Case {
    std::function<void()> breakIt;
    Document doc;
    Message message;
    Outcome outcome;
    std::size_t opens;  // lines opened so far: none before the rate is known
  };
  const Case cases[] = {
      {[] {}, noRate, NoRateSelected(), Outcome::Refused, 0},
      {[&] { line.RefuseNextOpen("the device is in use by another program"); },
       Window(),
       {"Communications Error",
        "Could not open COM3 (/dev/ttyUSB0): the device is in use by another program."},
       Outcome::PortProblem,
       0},
      {[&] { line.DropAfterWrites(0); }, Window(), kLost, Outcome::HangUp, 3},
  };
  for (const Case& c : cases) {
    for (Operation kind : {Operation::Get, Operation::Put, Operation::Reset}) {
      c.breakIt();
      const OperationResult result = Run(kind, c.doc);
      std::vector<Message> expected{c.message};
      if (kind == Operation::Put) expected.push_back(UnitUnchanged());
      EXPECT_EQ(result.messages, expected);
      EXPECT_EQ(result.outcome, c.outcome);
      EXPECT_EQ(result.unit, UnitState::Unchanged);
      if (kind != Operation::Reset) {
        EXPECT_EQ(result.unitBaud, c.doc.cfg.BaudPC == kNoSelection ? 0 : 9600);
      }
      EXPECT_FALSE(result.document);
      EXPECT_FALSE(line.IsOpen());
    }
    EXPECT_EQ(line.opens().size(), c.opens);
  }
}

TEST_F(OperationTest, ResetSendsROnlyAndClosesWithoutWaitingForAnAnswer) {
  FakeUnit unit(line, clock, PatternImage(k9600));
  const OperationResult result = Run(Operation::Reset, Window());
  EXPECT_TRUE(result.succeeded);
  EXPECT_FALSE(result.document);
  EXPECT_EQ(result.unitBaud, 0) << "the unit restarts at the rate its EEPROM names";
  EXPECT_EQ(line.SentText(), "R");
  EXPECT_FALSE(line.IsOpen());
  EXPECT_LT(clock.Now().time_since_epoch(), 10ms);
  EXPECT_EQ(phases, std::vector<std::string>{"RESET"});
}

// One operation at a time, and always a result on the window's thread, even
// when the run throws. (That it runs off the window's thread and reports its
// progress there, the window's own tests show.)
TEST(OperationWorker, RunsOneAtATimeAndAlwaysFinishesEvenWhenTheRunThrows) {
  test::QtApp();
  std::atomic<bool> release{false};
  OperationWorker worker([&](const OperationRequest&, const ProgressSink&) -> OperationResult {
    while (!release)
      QThread::msleep(1);
    throw std::runtime_error("out of memory");
  });
  std::vector<OperationResult> heard;
  QObject::connect(&worker, &OperationWorker::finished, &worker, [&](const OperationResult& r) {
    if (QThread::currentThread() == worker.thread()) heard.push_back(r);
  });
  ASSERT_TRUE(worker.Start({}));
  EXPECT_FALSE(worker.Start({}));
  release = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() == 1; }, 10000));
  EXPECT_FALSE(heard[0].succeeded);
  ASSERT_EQ(heard[0].messages.size(), 1u);
  EXPECT_NE(heard[0].messages[0].text.find("out of memory"), std::string::npos);
  EXPECT_TRUE(worker.Start({})) << "free again once it has finished";
  EXPECT_TRUE(QTest::qWaitFor([&] { return heard.size() == 2; }, 10000));
}

}  // namespace
}  // namespace kova
