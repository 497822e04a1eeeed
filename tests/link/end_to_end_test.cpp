// SPDX-License-Identifier: GPL-3.0-or-later
// What needs a real line, against kova-sim on a pseudo-terminal: the rate switch,
// the drain, the lock, a hang-up, a tail after close; and paths that are no serial device.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <algorithm>
#include <thread>

#include "child.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "link/qt_serial_line.h"
#include "printers.h"
#include "qt_app.h"
#include "test_files.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::OpenHandlesTo;
using test::SimProcess;

constexpr int k115200 = 0, k9600 = 4, k19200 = 3, k1200 = 7;
const std::vector<Message> kNone;

// A cleared configuration at these rates, packed.
Document DocumentAt(int baudPC, int baudKova) {
  Document doc;
  doc.cfg = StartupConfiguration();
  doc.cfg.BaudPC = baudPC;
  doc.cfg.BaudKova = baudKova;
  PackEEprom(doc);
  return doc;
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { test::QtApp(); }

  // Short pauses, so that many Puts run; the unit does not mind. The settle
  // leaves room for a simulator that a loaded machine holds back.
  OperationResult Run(Operation kind, const Document& doc) {
    return RunOperation(
        {.kind = kind, .document = doc, .device = folder.Link(), .timings = timings});
  }

  const LinkTimings timings{.rxTimeout = 250ms, .pacing = 1ms, .settle = 500ms};
  test::SimFolder folder;
};

TEST_F(EndToEndTest, PutFollowsTheUnitThroughEveryRate) {
  folder.WriteEEprom(DocumentAt(k115200, k115200).image);
  SimProcess sim(folder, {"--rate", "115200"});
  for (int step = 1; step <= 8; ++step) {
    const int pc = step - 1, next = step % 8;  // 57600, 38400, ... 1200, then 115200
    Document doc = DocumentAt(pc, next);
    doc.cfg.SndrTime = std::to_string(step);
    const OperationResult result = Run(Operation::Put, doc);
    ASSERT_EQ(result.messages, kNone) << kBaudRates[next] << sim.Stop();
    ASSERT_EQ(result.document->cfg.BaudPC, next);
  }
  const OperationResult get = Run(Operation::Get, DocumentAt(k115200, k115200));
  ASSERT_EQ(get.messages, kNone);
  EXPECT_EQ(get.document->cfg.SndrTime, "8");
}

std::vector<std::string> qtWarnings;

// The reset, one byte at 1200 bit/s, leaves before the port closes; the unit then
// listens at its EEPROM's rate, and a Get from a thread Qt knows nothing of (as a
// command line's) reads it exactly, without complaint from the serial port.
// kova-sim's link to its device goes when it ends.
TEST_F(EndToEndTest, ResetRestartsTheUnitAtItsOwnRateThenGetReadsIt) {
  const Document onUnit = DocumentAt(k9600, k9600);
  folder.WriteEEprom(onUnit.image);
  SimProcess sim(folder, {"--rate", "1200", "--ver1", "KOVA 10", "--ver2", "", "--ver3", "REV B"});
  EXPECT_EQ(Run(Operation::Reset, DocumentAt(k1200, k9600)).messages, kNone);
  ASSERT_TRUE(sim.AwaitLog("reset")) << sim.Stop();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        qtWarnings.push_back(text.toStdString());
      });
  OperationResult result;
  std::thread([&] { result = Run(Operation::Get, DocumentAt(k9600, k115200)); }).join();
  qInstallMessageHandler(previous);
  ASSERT_EQ(result.messages, kNone);
  EXPECT_EQ(qtWarnings, std::vector<std::string>{});
  EXPECT_EQ(result.document->image, onUnit.image);
  EXPECT_EQ(result.document->cfg.Ver, (VersionTexts{"KOVA 10", "", "REV B"}));
  EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
  sim.Stop();
  EXPECT_FALSE(QFileInfo(QString::fromStdString(folder.Link())).isSymLink());
}

// A device held by another run (through any spelling of its path) or by another
// program in exclusive mode is left alone; what a holder killed with kill -9
// leaves (exclusive mode, a lock file naming an ended process) is taken over.
TEST_F(EndToEndTest, AHeldPortIsLeftAloneAndAStaleLockIsTakenOver) {
  SimProcess sim(folder);
  const auto get = [&] { return Run(Operation::Get, DocumentAt(k9600, k9600)).messages; };
  const std::vector<Message> inUse{
      {"Communications Error",
       "Could not open " + folder.Link() + ": the device is in use by another program."}};
  {
    QtSerialLine otherRun;
    otherRun.Open({sim.Device(), 9600});
    EXPECT_EQ(get(), inUse);
    otherRun.Close();
    EXPECT_EQ(get(), inUse) << "held from the first open to the end of the run";
  }
  QSerialPort holder(QString::fromStdString(sim.Device()));
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  EXPECT_EQ(get(), inUse);
  int exclusive = 0;
  ASSERT_EQ(::ioctl(holder.handle(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1) << "its exclusive mode was cleared";
  holder.close();
  EXPECT_EQ(get(), kNone);

  QProcess ended;
  ended.start("true");
  ASSERT_TRUE(ended.waitForFinished());
  std::string name = sim.Device().substr(std::string("/dev/").size());
  std::replace(name.begin(), name.end(), '/', '_');
  const QString lock = QString::fromStdString("/run/lock/LCK.." + name);
  ASSERT_TRUE(test::Put(lock, QByteArray::number(ended.processId()) + "\nkovactl\n"));
  const int fd = ::open(sim.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
  ::close(fd);
  EXPECT_EQ(get(), kNone) << "a stale lock is taken over";
  EXPECT_FALSE(QFile::exists(lock));
}

// A path that is no serial device is named for what it is; a file there keeps its bytes.
TEST(QtSerialLine, APathThatIsNoSerialDeviceIsNamedForWhatItIs) {
  alarm(60);  // an open that blocks on the pipe ends the test here instead of hanging it
  QTemporaryDir temp;
  const auto at = [&](const char* name) { return temp.filePath(name).toStdString(); };
  ASSERT_TRUE(test::Put(temp.filePath("unit.kova"), "[EEprom]\r\n"));
  ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(at("folder").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(at("loop").c_str(), at("loop").c_str()), 0);
  sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
  at("socket").copy(address.sun_path, sizeof address.sun_path - 1);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::pair<std::string, std::string> cases[] = {
      {at("unit.kova"), "it is a file, not a serial device"},
      {at("pipe"), "it is a named pipe (FIFO), not a serial device"},
      {at("folder"), "it is a folder, not a serial device"},
      {at("socket"), "it is a socket, not a serial device"},
      {"/dev/null", "it is not a serial device"},
      {at("loop"), "too many levels of symbolic links"},
      {at("missing"), "the device does not exist (is the adapter plugged in?)"},
  };
  for (const auto& [device, reason] : cases) {
    std::string said = "opened";
    try {
      QtSerialLine().Open({device, 9600});
    } catch (const LineError& e) {
      said = e.what();
    }
    EXPECT_EQ(said, reason);
  }
  ::close(sock);
  EXPECT_EQ(test::Bytes(temp.filePath("unit.kova")), "[EEprom]\r\n");
  alarm(0);
}

// kova-sim's --link never replaces someone's file, at NAME or at "NAME.new".
TEST(SimLink, AFileWhereTheLinkShouldGoIsRefusedAndKept) {
  QTemporaryDir temp;
  for (const auto& [link, file] : {std::pair{"unit", "unit"}, {"fresh", "fresh.new"}}) {
    ASSERT_TRUE(test::Put(temp.filePath(file), "precious"));
    const test::Ran ran = test::Run(KOVA_SIM, {"--link", temp.filePath(link)});
    EXPECT_EQ(ran.status, 1) << link;
    EXPECT_TRUE(ran.err.contains("exists and is not a symbolic link")) << link;
    EXPECT_EQ(test::Bytes(temp.filePath(file)), "precious");
  }
}

// A tail that goes on while the port reopens at the new rate, and a hang-up: each
// Put ends in its message (title, start of text) by its deadline, says what it
// left, leaves the port closed, and the sound unit then answers.
struct Fault {
  const char* name;
  QStringList options;
  Message message;
  UnitState left;
};

const Message kLost{"Communications Error", "The connection through "};
// clang-format off
const Fault kFaults[] = {
    {"slow_tail_after_close", {"--byte-delay", "12", "--keep-sending", "--trail", "30"}, UnexpectedResponse(), UnitState::Written},
    {"hangup", {"--hangup-after=100"}, kLost, UnitState::Partial},
};
// clang-format on

class FaultMatrix : public EndToEndTest, public ::testing::WithParamInterface<int> {};

TEST_P(FaultMatrix, EndsInItsMessageAndSaysWhatTheUnitHolds) {
  const Fault& fault = kFaults[GetParam()];
  Document window = DocumentAt(k9600, k19200);  // a Put moves the unit
  window.cfg.Zones[4].OpenRIC1 = "4242";
  PackEEprom(window);
  folder.WriteEEprom(DocumentAt(k9600, k9600).image);
  {
    SimProcess faulty(folder, fault.options);
    QElapsedTimer timer;
    timer.start();
    const OperationResult result = Run(Operation::Put, window);
    EXPECT_LE(timer.elapsed(),
              OperationDeadline({.kind = Operation::Put, .document = window, .timings = timings})
                  .count());
    ASSERT_FALSE(result.messages.empty());
    const std::string& text = result.messages[0].text;
    EXPECT_EQ(result.messages[0].title, fault.message.title);
    EXPECT_EQ(text.rfind(fault.message.text, 0), 0u) << text;
    EXPECT_TRUE(fault.message != kLost || text.ends_with("was unplugged (Input/output error)."))
        << "the gone device's own reason, not a stale one: " << text;
    EXPECT_EQ(OpenHandlesTo(faulty.Device()), 0) << "the port is closed";
    EXPECT_TRUE(faulty.Running()) << "the simulator rides it out";
    EXPECT_EQ(result.unit, fault.left);
    EXPECT_EQ(result.document.has_value(), fault.left == UnitState::Written);
    faulty.Stop();
    const EEpromImage held = folder.ReadEEprom();
    EXPECT_TRUE(fault.left != UnitState::Written ||
                std::equal(held.begin() + 4, held.end(), window.image.begin() + 4));
  }
  SimProcess sound(folder);
  window.cfg.BaudPC = addr::kUnitRate.Get(folder.ReadEEprom());
  EXPECT_EQ(Run(Operation::Get, window).messages, kNone);
}

INSTANTIATE_TEST_SUITE_P(Link, FaultMatrix, ::testing::Range(0, int(std::size(kFaults))),
                         [](const auto& test) { return std::string(kFaults[test.param].name); });

}  // namespace
}  // namespace kova
