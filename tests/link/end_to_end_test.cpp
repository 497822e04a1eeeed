// SPDX-License-Identifier: GPL-3.0-or-later
// The operations on the computer's serial layer against kova-sim on a real
// pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <algorithm>
#include <thread>

#include "image/clear_form.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "link/qt_serial_line.h"
#include "qt_app.h"
#include "sim_process.h"

namespace kova {

void PrintTo(const Message& m, std::ostream* out) {
  *out << m.title << ": " << m.text;
}

namespace {

using namespace std::chrono_literals;
using test::OpenHandlesTo;
using test::SimProcess;

constexpr int k115200 = 0, k9600 = 4, k19200 = 3, k1200 = 7;
const std::vector<Message> kNone;

Document DocumentAt(int baudPC, int baudKova) {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.BaudPC = baudPC;
  doc.cfg.BaudKova = baudKova;
  return doc;
}

// The image of a cleared configuration that listens at this rate.
EEpromImage ImageAt(int baud) {
  Document doc = DocumentAt(baud, baud);
  PackEEprom(doc);
  return doc.image;
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { test::QtApp(); }

  // With pauses short enough to run many Puts; the unit does not mind. (A Put
  // at the unit's own pace runs in the window's test against kova-sim.)
  OperationResult Run(Operation kind, const Document& doc) {
    return RunOperation(
        {.kind = kind, .document = doc, .device = folder.Link(), .timings = timings});
  }

  const LinkTimings timings{.rxTimeout = 250ms, .pacing = 1ms, .settle = 100ms};

  test::SimFolder folder;
};

// One Put per rate of the list, each moving the unit to the next: every rate
// carries a write and a read-back, and the PC follows the unit every time.
TEST_F(EndToEndTest, PutFollowsTheUnitThroughEveryRate) {
  folder.WriteEEprom(ImageAt(k115200));
  SimProcess sim(folder, {"--rate", "115200"});
  int pc = k115200;
  for (int step = 1; step <= 8; ++step) {
    const int next = step % 8;  // 57600, 38400, ... 1200, then back to 115200
    SCOPED_TRACE("from " + std::to_string(kBaudRates[pc]) + " to " +
                 std::to_string(kBaudRates[next]));
    Document doc = DocumentAt(pc, next);
    doc.cfg.SndrTime = std::to_string(step);
    const OperationResult result = Run(Operation::Put, doc);
    ASSERT_EQ(result.messages, kNone) << sim.Stop();
    ASSERT_EQ(result.document->cfg.BaudPC, next);
    EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
    pc = result.document->cfg.BaudPC;
  }
  EXPECT_EQ(pc, k115200);
  const OperationResult get = Run(Operation::Get, DocumentAt(pc, pc));
  ASSERT_EQ(get.messages, kNone);
  EXPECT_EQ(get.document->cfg.SndrTime, "8");
}

std::vector<std::string> qtWarnings;

// After the reset the unit listens at the rate its EEPROM names, and a Get
// reads it exactly as it is, even from a thread that Qt knows nothing of (as
// a command line may call it), without complaint from the serial port.
TEST_F(EndToEndTest, ResetRestartsTheUnitAtItsOwnRateThenGetReadsIt) {
  Document onUnit = DocumentAt(k9600, k9600);
  onUnit.cfg.Zones[9].ToggleRIC1 = "2097151";
  PackEEprom(onUnit);
  folder.WriteEEprom(onUnit.image);
  SimProcess sim(folder, {"--rate", "1200", "--ver1", "KOVA 10", "--ver2", "", "--ver3", "REV B"});
  EXPECT_EQ(Run(Operation::Get, DocumentAt(k9600, k9600)).messages,
            std::vector<Message>{CommunicationsError()})
      << "not heard at 9600 before the reset";
  EXPECT_EQ(Run(Operation::Reset, DocumentAt(k1200, k9600)).messages, kNone);
  EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
  ASSERT_TRUE(sim.AwaitLog("reset")) << "a unit takes its time to restart" << sim.Stop();

  qtWarnings.clear();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        qtWarnings.push_back(text.toStdString());
      });
  OperationResult result;
  std::thread caller([&] { result = Run(Operation::Get, DocumentAt(k9600, k115200)); });
  caller.join();
  qInstallMessageHandler(previous);
  ASSERT_EQ(result.messages, kNone);
  EXPECT_EQ(qtWarnings, std::vector<std::string>{});
  EXPECT_EQ(result.document->image, onUnit.image);
  EXPECT_EQ(result.document->cfg.Ver, (std::array<std::string, 3>{"KOVA 10", "", "REV B"}));
  EXPECT_EQ(result.document->cfg.Zones[9].ToggleRIC1, "2097151");
  EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
}

// A device that another run of this program holds (through any spelling of
// its path) or that another program holds in exclusive mode is not used, and
// the other program keeps its exclusive mode.
TEST_F(EndToEndTest, APortThatCannotBeOpenedSaysWhyAndIsLeftAsItWas) {
  SimProcess sim(folder);
  const auto getThrough = [&](const std::string& device) {
    return RunOperation(
               {.kind = Operation::Get, .document = DocumentAt(k9600, k9600), .device = device})
        .messages;
  };
  const auto couldNotOpen = [](const std::string& device, const std::string& reason) {
    return std::vector<Message>{
        {"Communications Error", "Could not open " + device + ": " + reason + "."}};
  };
  const std::string inUse = "the device is in use by another program";
  EXPECT_EQ(getThrough(folder.Link() + "-missing"),
            couldNotOpen(folder.Link() + "-missing",
                         "the device does not exist (is the adapter plugged in?)"));
  {
    QtSerialLine otherRun;
    otherRun.Open({sim.Device(), 9600});
    EXPECT_EQ(getThrough(folder.Link()), couldNotOpen(folder.Link(), inUse));
    otherRun.Close();
    EXPECT_EQ(getThrough(folder.Link()), couldNotOpen(folder.Link(), inUse))
        << "held from the first open to the end of the run";
  }
  QSerialPort holder(QString::fromStdString(sim.Device()));
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  EXPECT_EQ(getThrough(folder.Link()), couldNotOpen(folder.Link(), inUse));
  int exclusive = 0;
  ASSERT_EQ(::ioctl(holder.handle(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1) << "its exclusive mode was cleared";
  holder.close();
  EXPECT_EQ(getThrough(folder.Link()), kNone);

  // What a holder killed with kill -9 leaves: the device in exclusive mode
  // and a lock file naming a process that has ended. It is taken over.
  QProcess ended;
  ended.start("true");
  ASSERT_TRUE(ended.waitForFinished());
  std::string name = sim.Device().substr(std::string("/dev/").size());
  std::replace(name.begin(), name.end(), '/', '_');
  const std::string lockFile = "/run/lock/LCK.." + name;
  {
    QFile lock(QString::fromStdString(lockFile));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(ended.processId()) + "\nkovactl\n");
  }
  const int fd = ::open(sim.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
  ::close(fd);
  EXPECT_EQ(getThrough(folder.Link()), kNone) << "a stale lock is taken over";
  EXPECT_FALSE(QFile::exists(QString::fromStdString(lockFile)));
}

// A path given as the port that is no serial device is named for what it is,
// at once, and a file there keeps its bytes.
TEST_F(EndToEndTest, APortThatIsNoSerialDeviceIsNamedForWhatItIs) {
  alarm(60);  // an open that blocks on the pipe ends the test here instead of hanging it
  QTemporaryDir temp;
  const auto at = [&](const char* name) { return temp.filePath(name).toStdString(); };
  {
    QFile file(temp.filePath("unit.kova"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[EEprom]\r\n");
  }
  ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(at("folder").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(at("loop").c_str(), at("loop").c_str()), 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  at("socket").copy(address.sun_path, sizeof address.sun_path - 1);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const struct {
    std::string device, reason;
  } cases[] = {
      {at("unit.kova"), "it is a file, not a serial device"},
      {at("pipe"), "it is a named pipe (FIFO), not a serial device"},
      {at("folder"), "it is a folder, not a serial device"},
      {at("socket"), "it is a socket, not a serial device"},
      {"/dev/null", "it is not a serial device"},
      {at("loop"), "too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    const OperationResult result = RunOperation(
        {.kind = Operation::Get, .document = DocumentAt(k9600, k9600), .device = c.device});
    EXPECT_EQ(result.messages,
              (std::vector<Message>{
                  {"Communications Error", "Could not open " + c.device + ": " + c.reason + "."}}));
    EXPECT_EQ(result.bytesSent, 0) << c.device;
  }
  ::close(sock);
  QFile file(temp.filePath("unit.kova"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "[EEprom]\r\n");
  alarm(0);
}

// The simulator's --link takes a new name or a link, never someone's file:
// a file there would be replaced by the link and then removed with it. Nor
// is a file under the name the link is first made as ("NAME.new") removed.
TEST(SimLink, AFileWhereTheLinkShouldGoIsRefusedAndKept) {
  QTemporaryDir temp;
  for (const char* name : {"unit", "fresh.new"}) {
    QFile file(temp.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
  }
  for (const char* link : {"unit", "fresh"}) {
    QProcess sim;
    sim.start(KOVA_SIM, {"--link", temp.filePath(link)});
    ASSERT_TRUE(sim.waitForFinished(10000)) << "still running over " << link;
    EXPECT_EQ(sim.exitCode(), 1) << link;
    EXPECT_TRUE(sim.readAllStandardError().contains("exists and is not a symbolic link")) << link;
  }
  for (const char* name : {"unit", "fresh.new"}) {
    QFile file(temp.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    EXPECT_EQ(file.readAll(), "precious");
  }
}

// The faults that need a real line (the fake line's fault table has the
// rest), at the line's own pace and with slow bytes, against Get and against
// Put: a hang-up, a transmitter that runs on until the port closes, and an
// answer whose tail goes on after the close: each ends in its message, takes
// over nothing it should not, says truly what a Put left in the unit, leaves
// the port closed, and the next operation on a sound unit works.
struct Fault {
  const char* name;
  QStringList options;
  // The title and the start of the text of the first message of a Get and
  // of a Put; none for a fault the operation cannot see.
  std::optional<Message> get, put;
  UnitState putLeft;
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

const Message kLost{"Communications Error", "The connection through "};
using enum UnitState;
const Fault kFaults[] = {
    {"sound", {}, std::nullopt, std::nullopt, Verified},
    {"stuck_transmitter", {"--stuck", "0"}, UnexpectedResponse(), UnexpectedResponse(), Written},
    {"tail_after_close",
     {"--keep-sending", "--trail", "30"},
     UnexpectedResponse(),
     UnexpectedResponse(),
     Written},
    {"hangup", {"--hangup-after=100"}, kLost, kLost, Partial},
};

class FaultMatrix : public EndToEndTest,
                    public ::testing::WithParamInterface<std::tuple<Fault, int, Operation>> {};

TEST_P(FaultMatrix, EndsInItsMessageAndSaysWhatTheUnitHolds) {
  const auto& [fault, byteDelayMs, kind] = GetParam();
  const std::optional<Message>& message = kind == Operation::Get ? fault.get : fault.put;
  Document window = DocumentAt(k9600, k19200);  // a Put moves the unit
  window.cfg.Zones[4].OpenRIC1 = "4242";
  Document sent = window;
  PackEEprom(sent);
  const EEpromImage before = ImageAt(k9600);
  folder.WriteEEprom(before);
  {
    SimProcess faulty(folder,
                      QStringList{"--byte-delay", QString::number(byteDelayMs)} + fault.options);
    QElapsedTimer timer;
    timer.start();
    const OperationResult result = Run(kind, window);
    EXPECT_LE(timer.elapsed(),
              OperationDeadline({.kind = kind, .document = window, .timings = timings}).count());

    ASSERT_EQ(result.messages.empty(), !message) << ::testing::PrintToString(result.messages);
    if (message) {
      EXPECT_EQ(result.messages[0].title, message->title);
      EXPECT_EQ(result.messages[0].text.rfind(message->text, 0), 0u) << result.messages[0].text;
      if (message == kLost) {  // the reason is the gone device's own, not a stale one
        EXPECT_TRUE(result.messages[0].text.ends_with("was unplugged (Input/output error)."))
            << result.messages[0].text;
      }
    }
    EXPECT_EQ(OpenHandlesTo(faulty.Device()), 0) << "the port is closed";
    EXPECT_TRUE(faulty.Running()) << "the simulator rides it out";
    if (kind == Operation::Get) {
      EXPECT_EQ(result.document.has_value(), !message);
      if (result.document) {
        EXPECT_EQ(result.document->image, before);
      }
    } else {
      EXPECT_EQ(result.unit, fault.putLeft);
      const bool written = fault.putLeft == Written || fault.putLeft == Verified;
      EXPECT_EQ(result.document.has_value(), written);
      EXPECT_EQ(result.unitBaud, written ? 19200 : 9600);
      if (result.document) {
        EXPECT_EQ(result.document->cfg.Zones[4].OpenRIC1, "4242");
      }
      faulty.Stop();
      const EEpromImage held = folder.ReadEEprom();
      if (fault.putLeft == Unchanged) {
        EXPECT_EQ(held, before);
      }
      if (written) {
        EXPECT_TRUE(std::equal(held.begin() + 4, held.end(), sent.image.begin() + 4));
      }
    }
  }

  // The same unit, sound again, at whatever rate it now listens.
  SimProcess sound(folder);
  window.cfg.BaudPC = addr::kUnitRate.Get(folder.ReadEEprom());
  EXPECT_EQ(Run(Operation::Get, window).messages, kNone);
}

INSTANTIATE_TEST_SUITE_P(Link, FaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Values(0, 12),
                                            ::testing::Values(Operation::Get, Operation::Put)),
                         [](const auto& test) {
                           return std::string(std::get<0>(test.param).name) +
                                  (std::get<1>(test.param) ? "_slow" : "") +
                                  (std::get<2>(test.param) == Operation::Get ? "_get" : "_put");
                         });

}  // namespace
}  // namespace kova
