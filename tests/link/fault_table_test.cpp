// SPDX-License-Identifier: GPL-3.0-or-later
// The link's fault table: each way a unit, a line or a user can make an operation
// or a probe fail, on a fake line: its messages, and what the unit then holds.
#include <QTest>
#include <QThread>
#include <cstring>

#include "fake_line.h"
#include "image/clear_form.h"
#include "image/interpret.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "link/operation_worker.h"
#include "link/probe.h"
#include "printers.h"
#include "qt_app.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::FakeUnit;
using test::PatternImage;

constexpr int k9600 = 4, k19200 = 3, k2400 = 6;

enum class Kind { Get, Put, Reset, Probe };  // the first three as Operation
using enum Kind;
using enum Outcome;
using enum UnitState;

struct Fault {
  test::UnitAnswers unit{};
  bool ask = false;               // the operation asks for the version first
  int rate = k9600;               // the unit's
  std::optional<int> lastSeen{};  // the rate a probe tries first
  int drop = -1;                  // the line drops after this many more writes
  bool refuse = false;            // the port will not open
  bool noRate = false;            // the window has no PC rate selected
  std::string ric{};              // typed into a RIC box
  const char* stopAt = nullptr;   // asked to stop when this phase reports `stopDone`,
  int stopDone = 0;               // or a probe tries the rate `stopDone`
  Clock::duration babble{};       // a line that talks on every command, a byte every `babble`
  char fill = 0;
};

struct Row {
  const char* name;
  Kind kind;
  Fault fault;
  Outcome outcome;
  std::vector<Message> messages;
  UnitState unit;        // what the result says
  int held;              // image bytes of the new image that the unit ends with
  std::string commands;  // what went on the wire, image bytes left out
};

const Message kNo = CommunicationsError(), kOdd = UnexpectedResponse(), kSame = UnitUnchanged(),
              kStop = kova::Interrupted(), kSent = UnitSentNotConfirmed(19200, 9600);
const Message kLost{
    "Communications Error",
    "The connection through COM3 (/dev/ttyUSB0) was lost: the device stopped working."};
const Message kBusy{"Communications Error",
                    "Could not open COM3 (/dev/ttyUSB0): the device is in use by another program."};
const std::string k8 = "vvvvvvvv";
const test::UnitAnswers kAckOnly{.versions = {"", "", ""}, .command = 'v', .cut = 3};
const test::UnitAnswers kCut{.command = 'v', .cut = 1};
const test::UnitAnswers kLong{.versions = {std::string(81, 'A'), "", ""}};

// clang-format off
const Row kRows[] = {
    {"sound", Get, {}, None, {}, Unchanged, 0, "v##"},
    {"sound", Put, {}, None, {}, Verified, 252, "!#"},
    {"sound", Reset, {}, None, {}, Unchanged, 0, "R"},
    {"sound, version first", Put, {.ask = true}, None, {}, Verified, 252, "v!#"},
    {"sound, version first", Reset, {.ask = true}, None, {}, Unchanged, 0, "vR"},
    {"sound", Probe, {}, None, {}, Unchanged, 0, "v"},
    {"sound at 115200 bit/s", Probe, {.rate = 0}, None, {}, Unchanged, 0, "vvvvv"},
    {"sound at 1200 bit/s", Probe, {.rate = 7}, None, {}, Unchanged, 0, k8},
    {"sound where last seen", Probe, {.rate = 1, .lastSeen = 57600}, None, {}, Unchanged, 0, "v"},
    {"sound, last seen elsewhere", Probe, {.rate = 5, .lastSeen = 2400}, None, {}, Unchanged, 0, "vvvvvvv"},
    {"sound and slow", Get, {.unit = {.byteDelay = 20ms}}, None, {}, Unchanged, 0, "v##"},
    {"a version line of 80 bytes, the last printable", Get, {.unit = {.versions = {std::string(80, '~'), " ", ""}}}, None, {}, Unchanged, 0, "v##"},
    // A version line that times out is kept as far as it came; only the probe wants it whole.
    {"an acknowledge alone", Get, {.unit = kAckOnly}, None, {}, Unchanged, 0, "v##"},
    {"an acknowledge alone", Probe, {.unit = kAckOnly}, UnexpectedData, {kOdd}, Unchanged, 0, k8},
    {"a last line cut short", Get, {.unit = kCut}, None, {}, Unchanged, 0, "v##"},
    {"a last line cut short", Probe, {.unit = kCut}, UnexpectedData, {kOdd}, Unchanged, 0, k8},
    // Version lines are printable ASCII within 80 bytes, for Get and probe alike.
    {"a line feed in a line", Get, {.unit = {.versions = {"A\nB", "C", "D"}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"an acknowledge in a line", Get, {.unit = {.versions = {"\x06KOVA", "C", "D"}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"a byte above 0x7E", Get, {.unit = {.versions = {"\x7F KOVA", "", ""}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"a byte above 0x7E, slowly", Probe, {.unit = {.versions = {"\xA9 KOVA", "", ""}, .byteDelay = 2ms}, .rate = k2400}, UnexpectedData, {kOdd}, Unchanged, 0, k8},
    {"a line that never ends", Get, {.unit = kLong}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"a line that never ends", Probe, {.unit = kLong}, UnexpectedData, {kOdd}, Unchanged, 0, k8},
    // Noise: before the acknowledge, after it, after the answer.
    {"noise ahead of each answer", Get, {.unit = {.faults = {.stray = 3}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"noise ahead of each answer", Probe, {.unit = {.faults = {.stray = 1}}}, UnexpectedData, {kOdd}, Unchanged, 0, k8},
    {"noise ahead of a slow answer", Probe, {.unit = {.faults = {.stray = 3}, .byteDelay = 125ms}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"noise after the acknowledge", Get, {.unit = {.faults = {.afterAck = 2}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"noise after the version lines", Get, {.unit = {.faults = {.trail = 1}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"noise making up for a short read", Get, {.unit = {.faults = {.stopAfter = 254, .afterAck = 2}}}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"a read shifted by noise", Get, {.unit = {.command = '#', .noise = "\xE5"}}, UnexpectedData, {kOdd}, Unchanged, 0, "v#"},
    {"a slow read shifted by noise", Get, {.unit = {.byteDelay = 30ms, .command = '#', .noise = "\xE5"}}, UnexpectedData, {kOdd}, Unchanged, 0, "v#"},
    // Noise that makes up for bytes missing from one read: the two reads differ.
    {"a short first read made up by noise", Get, {.unit = {.command = '#', .noise = "\xE5\xE5", .cut = 2, .nth = 0}}, UnexpectedData, {kOdd}, Unchanged, 0, "v##"},
    {"a short second read made up by noise", Get, {.unit = {.command = '#', .noise = "\xE5\xE5", .cut = 2, .nth = 1}}, UnexpectedData, {kOdd}, Unchanged, 0, "v##"},
    // The elapsed-time counter may tick by a minute between them; the second read is kept.
    {"the counter ticking between the reads", Get, {.unit = {.tick = 1}}, None, {}, Unchanged, 0, "v##"},
    {"the counter two minutes on between the reads", Get, {.unit = {.tick = 2}}, UnexpectedData, {kOdd}, Unchanged, 0, "v##"},
    // No answer.
    {"silent", Get, {.unit = {.faults = {.silent = true}}}, NoAnswer, {kNo}, Unchanged, 0, "v"},
    {"silent", Probe, {.unit = {.faults = {.silent = true}}}, NoAnswer, {}, Unchanged, 0, k8},
    {"silent", Put, {.unit = {.faults = {.silent = true}}, .ask = true}, NoAnswer, {kNo, kSame}, Unchanged, 0, "v"},
    {"silent", Reset, {.unit = {.faults = {.silent = true}}, .ask = true}, NoAnswer, {kNo}, Unchanged, 0, "v"},
    {"noise after the version lines", Put, {.unit = {.faults = {.trail = 2}}, .ask = true}, UnexpectedData, {kOdd, kSame}, Unchanged, 0, "v"},
    {"no answer to a read", Get, {.unit = {.faults = {.noAck = "#"}}}, NoAnswer, {kNo}, Unchanged, 0, "v#"},
    {"a read cut short", Get, {.unit = {.faults = {.stopAfter = 100}}}, NoAnswer, {kNo}, Unchanged, 0, "v#"},
    // A Put that fails says what it left in the unit.
    {"no answer to a write", Put, {.unit = {.faults = {.noAck = "!"}}}, NoAnswer, {kNo, kSame}, Unchanged, 0, "!"},
    {"line lost at the first image byte", Put, {.drop = 1}, HangUp, {kLost, UnitPartlyWritten(1, 252)}, Partial, 0, "!"},
    {"line lost after 99 image bytes", Put, {.drop = 100}, HangUp, {kLost, UnitPartlyWritten(100, 252)}, Partial, 99, "!"},
    {"cable pulled after 99 image bytes", Put, {.unit = {.deafAfter = 100}}, NoAnswer, {kNo, kSent}, Written, 99, "!#"},
    {"a cell that does not take it", Put, {.unit = {.faults = {.corruptAt = 77}}}, Differences, {VerificationError(), UnitWrittenNotVerified(19200)}, Differs, 252, "!##"},
    {"noise ahead of the read-back", Put, {.unit = {.faults = {.stray = 1}}}, UnexpectedData, {kOdd, kSent}, Written, 252, "!#"},
    {"no read-back", Put, {.unit = {.faults = {.noAck = "#"}}}, NoAnswer, {kNo, kSent}, Written, 252, "!#"},
    // The port, the rate and the form.
    {"no PC rate", Get, {.noRate = true}, Refused, {NoRateSelected()}, Unchanged, 0, ""},
    {"no PC rate", Put, {.noRate = true}, Refused, {NoRateSelected(), kSame}, Unchanged, 0, ""},
    {"no PC rate", Reset, {.noRate = true}, Refused, {NoRateSelected()}, Unchanged, 0, ""},
    {"port in use", Get, {.refuse = true}, PortProblem, {kBusy}, Unchanged, 0, ""},
    {"port in use", Put, {.refuse = true}, PortProblem, {kBusy, kSame}, Unchanged, 0, ""},
    {"port in use", Reset, {.refuse = true}, PortProblem, {kBusy}, Unchanged, 0, ""},
    {"port in use", Probe, {.refuse = true}, PortProblem, {kBusy}, Unchanged, 0, ""},
    {"line lost at once", Get, {.drop = 0}, HangUp, {kLost}, Unchanged, 0, ""},
    {"line lost at once", Put, {.drop = 0}, HangUp, {kLost, kSame}, Unchanged, 0, ""},
    {"line lost at once", Reset, {.drop = 0}, HangUp, {kLost}, Unchanged, 0, ""},
    {"line lost at once", Probe, {.drop = 0}, HangUp, {kLost}, Unchanged, 0, ""},
    {"a RIC that does not pack", Put, {.ric = "12x"}, Refused, {NothingSent("Chan 3 Close RIC: '12x' is not a number")}, Unchanged, 0, ""},
    // Asked to stop, it ends within a poll of the link.
    {"stopped before the write command", Put, {.stopAt = "PUT"}, Interrupted, {kStop, kSame}, Unchanged, 0, ""},
    {"stopped after an image byte", Put, {.stopAt = "PUT", .stopDone = 1}, Interrupted, {kStop, UnitPartlyWritten(1, 252)}, Partial, 1, "!"},
    {"stopped after 137 image bytes", Put, {.stopAt = "PUT", .stopDone = 137}, Interrupted, {kStop, UnitPartlyWritten(137, 252)}, Partial, 137, "!"},
    {"stopped before the read-back", Put, {.stopAt = "VERIFY"}, Interrupted, {kStop, kSent}, Written, 252, "!"},
    {"stopped while trying 38400 bit/s", Probe, {.stopAt = "PROBE", .stopDone = 38400}, Interrupted, {kStop}, Unchanged, 0, "vvv"},
    {"stopped halfway through a read", Get, {.stopAt = "GET", .stopDone = 128}, Interrupted, {kStop}, Unchanged, 0, "v#"},
    // A line that never falls quiet, or is too slow for a unit; a write goes, unconfirmed.
    {"stuck at zero", Get, {.babble = 1042us}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"stuck at zero", Put, {.babble = 1042us}, UnexpectedData, {kOdd, kSent}, Written, 0, "!#"},
    {"endless text", Get, {.babble = 1ms, .fill = 'A'}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"a slow trickle", Get, {.babble = 200ms, .fill = 'A'}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"a slow trickle", Put, {.babble = 200ms, .fill = 'A'}, NoAnswer, {kNo, kSent}, Written, 0, "!#"},
    {"slow carriage returns", Get, {.babble = 240ms, .fill = '\r'}, UnexpectedData, {kOdd}, Unchanged, 0, "v"},
    {"slow carriage returns", Put, {.babble = 240ms, .fill = '\r'}, NoAnswer, {kNo, kSent}, Written, 0, "!#"},
};
// clang-format on

TEST(FaultTable, EachFaultEndsInItsMessagesAndLeavesTheUnitAsItSays) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.name) + " (" + std::to_string(int(row.kind)) + ")");
    const Fault& f = row.fault;
    FakeClock clock;
    FakeLine line{clock};
    const EEpromImage before = PatternImage(f.rate);
    FakeUnit unit(line, clock, before, f.unit);
    if (f.babble > 0s) {
      line.SetResponder([&](std::uint8_t b, FakeLine& l) {
        if (b == 'v' || b == '#' || b == '!') l.Deliver(std::string(3000, f.fill), 1ms, f.babble);
      });
    }
    line.DropAfterWrites(f.drop);
    if (f.refuse) line.RefuseNextOpen("the device is in use by another program");
    // Start-up's document, moving the unit to 19200 bit/s; packing overrides the jog.
    Document doc;
    doc.cfg = StartupConfiguration();
    doc.cfg.Ver = {"v0", "v1", "v2"};
    doc.cfg.BaudKova = k19200;
    doc.cfg.ClkJog = "9";
    if (f.noRate) doc.cfg.BaudPC = kNoSelection;
    if (!f.ric.empty()) doc.cfg.Zones[2].CloseRIC1 = f.ric;
    Document packed = doc;
    if (f.ric.empty()) PackEEprom(packed);
    const bool whole = row.unit == Written || row.unit == Differs || row.unit == Verified;
    const bool ok = row.outcome == None;
    std::vector<Message> messages;
    Outcome outcome = None;
    int imageBytes = 0;
    std::atomic<bool> stop{false};
    Clock::time_point askedAt = clock.Now();
    const auto stopWhen = [&](bool due) {
      if (!due || stop.exchange(true)) return;
      askedAt = clock.Now();
    };

    if (row.kind == Probe) {
      if (f.stopAt)
        line.SetResponder(
            [&](std::uint8_t, FakeLine& l) { stopWhen(l.opens().back().rate == f.stopDone); });
      const std::vector<int> order = ProbeOrder(f.lastSeen);
      const ProbeResult r = ProbeUnit(line, clock, "/dev/ttyUSB0", "COM3", order, {}, &stop);
      if (r.failure) messages.push_back(*r.failure);
      outcome = r.outcome;
      EXPECT_EQ(r.rate, ok ? std::optional(kBaudRates[f.rate]) : std::nullopt);
      EXPECT_EQ(r.versions, ok ? f.unit.versions : VersionTexts{});
      const std::size_t tried = std::max<std::size_t>(row.commands.size(), 1);
      EXPECT_EQ(r.tried, std::vector(order.begin(), order.begin() + tried));
      EXPECT_EQ(r.unexpectedAt,
                outcome == UnexpectedData ? std::vector{kBaudRates[f.rate]} : std::vector<int>{});
      EXPECT_EQ(r.portNotOpened, f.refuse);
      // Bytes sent at another rate reach the unit as none of its commands.
      const auto command = [](char b) { return b && std::strchr("v!#R", b); };
      EXPECT_EQ(std::ranges::count_if(unit.heard, command),
                row.commands.empty() || f.stopAt ? 0 : 1);
    } else {
      const Operation op = static_cast<Operation>(row.kind);
      OperationRequest request{op, doc, "/dev/ttyUSB0", "COM3"};
      request.cancel = &stop;
      request.askVersionFirst = f.ask;
      std::vector<std::string> phases;
      Progress last;
      const Clock::time_point start = clock.Now();
      const OperationResult r = RunOperation(request, line, clock, [&](const Progress& p) {
        if (phases.empty() || phases.back() != p.phase) phases.push_back(p.phase);
        last = p;
        stopWhen(f.stopAt && p.phase == f.stopAt && p.done == f.stopDone);
      });
      messages = r.messages;
      outcome = r.outcome;
      imageBytes = r.imageBytesWritten;
      const bool unknownRate = op == Operation::Reset || f.noRate || !f.ric.empty();
      EXPECT_EQ(r.succeeded, ok);
      EXPECT_EQ(r.unit, row.unit);
      EXPECT_EQ(r.unitBaud, unknownRate ? 0 : whole ? 19200 : 9600);
      EXPECT_EQ(r.rateConfirmed, ((op == Operation::Get || f.ask) && ok) || row.unit == Differs ||
                                     row.unit == Verified);
      EXPECT_EQ(r.writeLeftOpen, row.unit == Partial);
      EXPECT_EQ(r.portNotOpened, f.refuse);
      EXPECT_EQ(r.refusedControl, f.ric.empty() ? "" : "txtCloseRIC1(2)");
      EXPECT_LE(clock.Now() - start, OperationDeadline(request));
      EXPECT_TRUE(row.commands != "R" || clock.Now() - start < 10ms) << "a reset awaits no answer";
      const int at = f.unit.faults.corruptAt;
      std::vector<ByteDifference> differences;
      if (row.unit == Differs)
        differences.push_back({at, packed.image[at], packed.image[at] ^ 0xFF});
      EXPECT_EQ(r.differences, differences);
      // What is taken over: a whole Get as read and interpreted, or the image
      // a Put sent whole, with the PC following the unit's new rate.
      EXPECT_EQ(r.document.has_value(), op == Operation::Get ? ok : op == Operation::Put && whole);
      Document taken = op == Operation::Get ? doc : packed;
      if (op == Operation::Get) {
        taken.image = unit.model().eeprom();
        taken.cfg.Ver = f.unit.versions;
        InterpretEEprom(taken);
      }
      taken.cfg.BaudPC = taken.cfg.BaudKova;
      EXPECT_EQ(r.document.value_or(taken).image, taken.image);
      EXPECT_EQ(r.document.value_or(taken).cfg, taken.cfg);
      const std::vector<std::string> phasesOf[] = {{"GET"}, {"PUT", "VERIFY"}, {"RESET"}};
      const Progress lastOf[] = {{"GET", 512, 512}, {"VERIFY", 256, 256}, {"RESET", 1, 1}};
      EXPECT_EQ(ok ? phases : phasesOf[int(op)], phasesOf[int(op)]);
      EXPECT_EQ(ok ? last : lastOf[int(op)], lastOf[int(op)]);
    }
    EXPECT_EQ(messages, row.messages);
    EXPECT_TRUE(!f.stopAt || clock.Now() - askedAt < 30ms) << "ends soon when asked to stop";
    EXPECT_EQ(outcome, row.outcome);
    std::string commands = line.SentText();  // the image bytes left out
    const std::size_t w = commands.find('!');
    if (w != std::string::npos) commands.erase(w + 1, imageBytes);
    EXPECT_EQ(commands, row.commands);
    EXPECT_EQ(line.closes(), int(line.opens().size()));
    // Image bytes leave 10 ms apart at the earliest; the port closes for the 3.5 s pause.
    const auto& sent = line.sent();
    for (std::size_t i = w + 2; w != std::string::npos && i <= w + imageBytes && i < sent.size();
         ++i)
      ASSERT_GE(sent[i].left - sent[i - 1].left, 10ms + std::chrono::nanoseconds(10s) / 9600) << i;
    if (w != std::string::npos && sent.size() > w + 253) {
      EXPECT_GE(sent[w + 253].left - sent[w + 252].left, 3510ms);
      EXPECT_LT(sent[w + 253].left - sent[w + 252].left, 3520ms);
    }
    // The unit holds `held` bytes of the new image, and takes its rate only with all.
    EEpromImage holds = before;
    holds[0] = static_cast<std::uint8_t>(holds[0] + f.unit.tick);  // no carry from 0 minutes
    std::copy_n(packed.image.begin() + 4, row.held, holds.begin() + 4);
    if (const int at = f.unit.faults.corruptAt; at >= 0 && at < 4 + row.held) holds[at] ^= 0xFF;
    EXPECT_EQ(unit.model().eeprom(), holds);
    EXPECT_EQ(unit.model().RateIndex(), row.held == 252 ? k19200 : f.rate);
  }
}

TEST(FaultTable, DeadlinesFollowTheRatesAndThePauses) {
  EXPECT_LT(OperationDeadline(Operation::Get, 115200, 115200),
            OperationDeadline(Operation::Get, 1200, 1200));
  EXPECT_LT(OperationDeadline(Operation::Put, 9600, 115200),
            OperationDeadline(Operation::Put, 9600, 1200));
  EXPECT_LT(OperationDeadline(Operation::Reset, 9600, 9600),
            OperationDeadline(Operation::Get, 9600, 9600));
}

// One operation at a time, and always a result on the window's thread, even
// when the run throws.
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
