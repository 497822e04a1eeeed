// The operations on the computer's serial layer against kova-sim on a real
// pseudo-terminal.

#include <gtest/gtest.h>

#include <QSerialPort>
#include <thread>

#include "image/clear_form.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "qt_app.h"
#include "sim_process.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::OpenHandlesTo;
using test::SimFolder;
using test::SimProcess;

constexpr int k115200 = 0, k9600 = 4, k19200 = 3, k1200 = 7;

// Pauses short enough to run many Puts; the unit does not mind.
constexpr LinkTimings kQuick{.rxTimeout = 250ms, .pacing = 1ms, .settle = 100ms};

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { test::QtApp(); }

  OperationResult Run(Operation kind, const Document& doc, LinkTimings timings = kQuick) {
    OperationRequest request{
        .kind = kind, .document = doc, .device = folder.Link(), .timings = timings};
    return RunOperation(request);
  }

  static Document DocumentAt(int baudPC, int baudKova) {
    Document doc;
    doc.cfg = StartupConfiguration();
    doc.cfg.BaudPC = baudPC;
    doc.cfg.BaudKova = baudKova;
    return doc;
  }

  // The image of a cleared configuration that listens at this rate.
  static EEpromImage ImageAt(int baud) {
    Document doc = DocumentAt(baud, baud);
    PackEEprom(doc);
    return doc.image;
  }

  static std::string Messages(const OperationResult& result) {
    std::string text;
    for (const Message& m : result.messages)
      text += m.title + ": " + m.text + "\n";
    return text;
  }

  SimFolder folder;
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
    ASSERT_TRUE(result.succeeded) << Messages(result);
    ASSERT_EQ(result.document->cfg.BaudPC, next);
    EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
    pc = result.document->cfg.BaudPC;
  }
  EXPECT_EQ(pc, k115200);
  const OperationResult get = Run(Operation::Get, DocumentAt(pc, pc));
  ASSERT_TRUE(get.succeeded) << Messages(get);
  EXPECT_EQ(get.document->cfg.SndrTime, "8");
}

// The one case that pays the unit's real pauses: 252 gaps of 10 ms, then
// 3.5 s with the port closed, then the read-back at the new rate.
TEST_F(EndToEndTest, PutAtTheUnitsOwnPaceMovesFrom9600To19200) {
  folder.WriteEEprom(ImageAt(k9600));
  SimProcess sim(folder);
  Document doc = DocumentAt(k9600, k19200);
  doc.cfg.Zones[0].CloseRIC1 = "1000";
  doc.cfg.Zones[0].CloseFunc = 4;
  const OperationResult result = Run(Operation::Put, doc, LinkTimings{});
  ASSERT_TRUE(result.succeeded) << Messages(result);
  EXPECT_EQ(result.document->cfg.BaudPC, k19200);
  const std::string log = sim.Stop();
  EXPECT_NE(log.find("now listens at 19200"), std::string::npos) << log;
  const EEpromImage stored = folder.ReadEEprom();
  EXPECT_TRUE(std::equal(stored.begin() + 4, stored.end(), result.document->image.begin() + 4));
}

TEST_F(EndToEndTest, ResetRestartsTheUnitAtItsOwnRate) {
  folder.WriteEEprom(ImageAt(k9600));
  SimProcess sim(folder, {"--rate", "1200"});
  EXPECT_EQ(Run(Operation::Get, DocumentAt(k9600, k9600)).messages,
            std::vector<Message>{CommunicationsError()})
      << "not heard at 9600 before the reset";
  const OperationResult reset = Run(Operation::Reset, DocumentAt(k1200, k9600));
  EXPECT_TRUE(reset.succeeded) << Messages(reset);
  EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
  ASSERT_TRUE(sim.AwaitLog("reset")) << "a unit takes its time to restart" << sim.Stop();
  const OperationResult get = Run(Operation::Get, DocumentAt(k9600, k9600));
  EXPECT_TRUE(get.succeeded) << Messages(get) << sim.Stop();
}

std::vector<std::string> qtWarnings;

// A command line may call the synchronous entry from a thread that Qt knows
// nothing of; the serial port must still work there, without complaint.
TEST_F(EndToEndTest, GetReadsTheUnitAsItIsFromAThreadWithoutAnEventLoop) {
  Document onUnit = DocumentAt(k9600, k9600);
  onUnit.cfg.Zones[9].ToggleRIC1 = "2097151";
  PackEEprom(onUnit);
  folder.WriteEEprom(onUnit.image);
  SimProcess sim(folder, {"--ver1", "KOVA 10", "--ver2", "", "--ver3", "REV B"});
  qtWarnings.clear();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        qtWarnings.push_back(text.toStdString());
      });
  OperationResult result;
  std::thread caller([&] { result = Run(Operation::Get, DocumentAt(k9600, k115200)); });
  caller.join();
  qInstallMessageHandler(previous);
  ASSERT_TRUE(result.succeeded) << Messages(result);
  EXPECT_EQ(qtWarnings, std::vector<std::string>{});
  EXPECT_EQ(result.document->image, onUnit.image);
  EXPECT_EQ(result.document->cfg.Ver, (std::array<std::string, 3>{"KOVA 10", "", "REV B"}));
  EXPECT_EQ(result.document->cfg.Zones[9].ToggleRIC1, "2097151");
  EXPECT_EQ(OpenHandlesTo(folder.Link()), 0);
}

TEST_F(EndToEndTest, APortThatCannotBeOpenedSaysWhy) {
  SimProcess sim(folder);
  struct Case {
    std::string device;
    std::string text;
  };
  QSerialPort holder(QString::fromStdString(folder.Link()));
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  const Case cases[] = {
      {folder.Link() + "-missing", "Could not open " + folder.Link() +
                                       "-missing: the device does not exist (is the adapter "
                                       "plugged in?)."},
      {folder.Link(),
       "Could not open " + folder.Link() + ": the device is in use by another program."},
  };
  for (const Case& c : cases) {
    OperationRequest request{
        .kind = Operation::Get, .document = DocumentAt(k9600, k9600), .device = c.device};
    const OperationResult result = RunOperation(request);
    const std::vector<Message> expected{{"Communications Error", c.text}};
    EXPECT_EQ(result.messages, expected);
  }
  holder.close();
  EXPECT_TRUE(Run(Operation::Get, DocumentAt(k9600, k9600)).succeeded);
}

}  // namespace
}  // namespace kova
