// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the device commands; what the link does on the line,
// and each fault's outcome, is tried against the fake line.
#include <QDeadlineTimer>
#include <QProgressBar>
#include <QSemaphore>
#include <QThread>

#include "image/interpret.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

class DeviceButtonsTest : public WindowTest {
 protected:
  // What the user can still do, beyond looking at other tabs.
  std::vector<std::string> usable() {
    std::vector<std::string> names;
    for (const char* button : {"cmdGet", "cmdPut"})
      if (find(button)->isEnabled()) names.push_back(button);
    for (const QAction* action : find<QMenu>("MenuFile")->actions())
      if (action->isEnabled() && !action->isSeparator())
        names.push_back(action->objectName().toStdString());
    for (int tab = 0; tab < window->tabs().count(); ++tab)
      if (window->tabs().widget(tab)->isEnabled()) names.push_back("page " + std::to_string(tab));
    return names;
  }
  // The unit answers with this result, the request's document unless it says otherwise.
  void answer(OperationResult result) {
    unit = [result](const OperationRequest& request, const ProgressSink&) {
      OperationResult r = result;
      r.kind = request.kind;
      if (!r.document && r.succeeded) r.document = request.document;
      return r;
    };
  }
};

TEST_F(DeviceButtonsTest, WhileAnOperationRunsTheWindowShowsItAndStartsOrChangesNothingElse) {
  QSemaphore step;  // the test lets the unit on, one phase at a time
  unit = [&](const OperationRequest& request, const ProgressSink& progress) {
    progress({"PUT", 10, 252});
    step.tryAcquire(1, 10000);
    progress({"VERIFY", 200, 256});
    step.tryAcquire(1, 10000);
    OperationResult result;
    result.kind = request.kind;
    result.unit = UnitState::Differs;
    result.messages = {VerificationError(), CommunicationsError()};
    result.document = request.document;
    result.differences = {{0x0A, 0x00, 0x07}};  // the Reset RIC's low byte
    return result;
  };
  prompter.askAnswer = false;  // closing does not cancel it
  window->OnPutClicked();
  for (const auto& [caption, done, expected] :
       {std::tuple{"PUT", 10, 252}, std::tuple{"VERIFY", 200, 256}}) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return window->busyLabel().text() == caption && window->progressBar().value() == done;
        },
        10000));
    EXPECT_TRUE(window->busyLabel().isVisible());
    EXPECT_EQ(window->progressBar().maximum(), expected);
    EXPECT_EQ(usable(), std::vector<std::string>{});
    window->OnGetClicked();
    window->OnPutClicked();
    EXPECT_FALSE(window->close());
    step.release();
  }
  waitIdle();
  EXPECT_EQ(requestCount(), 1u);  // one at a time
  EXPECT_EQ(backups("put").size(), 1u);
  EXPECT_EQ(prompter.asked.size(), 2u);   // the closes
  Message differs = VerificationError();  // what differs is in its details
  differs.details =
      "Fields that differ (written, read back):\nReset RIC (Options): 0, 7\n\n"
      "Bytes that differ (address: written, read back):\n0x0A: 00, 07\n";
  Message tried = CommunicationsError();  // with where and at what rate
  tried.text += "\nTried COM1 (/dev/ttyUSB0) at 9600 bit/s: nothing came back.";
  EXPECT_EQ(prompter.shown, (std::vector{differs, tried}));
  EXPECT_FALSE(window->busyLabel().isVisible() || window->progressBar().isVisible());
  EXPECT_EQ(usable().size(), 2u + 6u + 17u);  // buttons, File commands, pages
  EXPECT_TRUE(window->close());
}

// Cancel, Escape or closing the window stop it between two bytes, with what the unit holds.
TEST_F(DeviceButtonsTest, ARunningOperationCanBeStoppedAndSaysWhatTheUnitHolds) {
  unit = [](const OperationRequest& request, const ProgressSink& progress) {
    progress({"PUT", 10, 252});
    const QDeadlineTimer patience(10000);
    while (!(request.cancel && *request.cancel) && !patience.hasExpired())
      QThread::msleep(1);
    OperationResult result;
    result.kind = request.kind;
    if (request.cancel && *request.cancel)
      result.messages = {Interrupted(), UnitPartlyWritten(10, 252)};
    return result;
  };
  for (const char* how : {"Cancel", "Escape", "close"}) {
    SCOPED_TRACE(how);
    prompter.shown.clear();
    window->OnPutClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->progressBar().value() == 10; }, 10000));
    if (how == std::string("Cancel")) click("cmdCancel");
    if (how == std::string("Escape")) QTest::keyClick(window.get(), Qt::Key_Escape);
    if (how == std::string("close")) window->close();  // refused until it has stopped
    waitIdle();
    EXPECT_EQ(prompter.shown, (std::vector{Interrupted(), UnitPartlyWritten(10, 252)}));
    EXPECT_FALSE(find("cmdCancel")->isVisible());
  }
  EXPECT_FALSE(window->isVisible());
}

TEST_F(DeviceButtonsTest, CompareWithUnitListsWhatDiffersAndLoadsItOnlyWhenAsked) {
  OperationResult read;
  read.succeeded = true;
  read.document = window->document();
  PackEEprom(*read.document);
  InterpretEEprom(*read.document);
  answer(read);
  cfg().Zones[0].CloseRIC1 = "4242";
  window->Refresh();
  for (const bool load : {false, true}) {
    prompter.loadUnitValues = load;
    window->OnCompareClicked();  // unsaved edits are not lost to it: no question
    waitIdle();
    ASSERT_EQ(prompter.compared.size(), load ? 2u : 1u);
    const auto& [heading, fields] = prompter.compared.back();
    EXPECT_EQ(heading, "1 field differs between the form and the Kova Pro on COM1 (/dev/ttyUSB0):");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].label + "|" + fields[0].tab + "|" + fields[0].ours + "|" + fields[0].theirs,
              "Chan 1 Close RIC|Chan 1|4242|0");
    EXPECT_EQ(cfg().Zones[0].CloseRIC1, load ? "0" : "4242");
  }
  EXPECT_TRUE(prompter.asked.empty());
}

// Function codes the lists cannot show: interpreting them warns, and packing
// the image again would change it. The window and the backup keep it as read.
TEST_F(DeviceButtonsTest, AGetIsShownAndKeptAsACopyExactlyAsRead) {
  OperationResult read;
  read.succeeded = true;
  read.document = window->document();
  read.document->image.fill(0xFF);
  read.document->cfg.Ver = {"3.15", "Jan 10 2006", "2"};
  read.warnings = InterpretEEprom(*read.document);
  answer(read);
  window->OnGetClicked();
  waitIdle();
  EXPECT_EQ(window->document().image, read.document->image);
  EXPECT_EQ(text("txtVer(1)"), "Jan 10 2006");
  EXPECT_EQ(text("txtCloseRIC1(0)"), "2097151");
  ASSERT_EQ(prompter.shown.size(), 1u);  // one box for all that interpreting noticed
  EXPECT_NE(prompter.shown[0].text.find("shown as ALL"), std::string::npos);
  EXPECT_EQ(backups("get"), std::vector{read.document->image});
}

TEST_F(DeviceButtonsTest, ThePortMappingNamesTheDeviceAndTheCommsTabChangesIt) {
  prompter.saveAnswer = SaveChoice::Discard;  // a Get may replace the changed port
  auto* device = find<QComboBox>("lstPortDevice");
  struct Step {
    int port;            // 1..16
    int chosen;          // the device list's item the user chose; -1: none
    const char* typed;   // or the path typed in
    const char* shown;   // in the device list
    const char* opened;  // "" when the Get is refused
  };
  const Step steps[] = {
      {1, -1, "", "Default: /dev/ttyUSB0", "/dev/ttyUSB0"},  // USB adapters first
      {3, -1, "", "Default: no device", ""},
      {3, -1, "/dev/ttyACM7", "/dev/ttyACM7", "/dev/ttyACM7"},
      {1, 2, "", "/dev/ttyS0", "/dev/ttyS0"},
      {1, 0, "", "Default: /dev/ttyUSB0", "/dev/ttyUSB0"},
  };
  showTab(kCommsTab);
  for (const auto& s : steps) {
    SCOPED_TRACE(std::to_string(s.port) + " " + s.shown);
    cfg().ComPort = s.port - 1;
    window->Refresh();
    if (s.chosen >= 0) emit device->activated(s.chosen);
    if (*s.typed) {
      device->lineEdit()->setText(s.typed);
      QTest::keyClick(device->lineEdit(), Qt::Key_Return);
    }
    EXPECT_EQ(device->currentText(), s.shown);
    prompter.shown.clear();
    requests.clear();
    window->OnGetClicked();
    waitIdle();
    ASSERT_EQ(requestCount(), *s.opened ? 1u : 0u);
    if (*s.opened) {
      EXPECT_EQ(requests[0].device, s.opened);
      EXPECT_EQ(requests[0].port, "COM" + std::to_string(s.port));
    } else {
      EXPECT_EQ(prompter.shown, std::vector<Message>{PortNotMapped("COM3")});
    }
  }
  // Kept where kovactl finds them too; the default keeps no entry.
  EXPECT_EQ(ports.value("Ports/COM3").toString(), "/dev/ttyACM7");
  EXPECT_FALSE(ports.contains("Ports/COM1"));
}

}  // namespace
}  // namespace kova::test
