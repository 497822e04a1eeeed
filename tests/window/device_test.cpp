// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the device commands; what the link does on the line,
// and each fault's outcome, is tried against the fake line.
#include "image/interpret.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/port_map.h"
#include "link/probe.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using DeviceButtonsTest = WindowTest;

// While an operation runs the window shows its phase and progress and starts or
// changes nothing else; Cancel, Escape or closing stop it between two bytes, and
// its messages say what happened, with where it was tried and what differs.
TEST_F(DeviceButtonsTest, ARunningOperationShowsItselfBlocksTheRestAndCanBeStopped) {
  unit = [](const OperationRequest& request, const ProgressSink& progress) {
    progress({"VERIFY", 200, 256});
    const QDeadlineTimer patience(10000);
    while (!(request.cancel && *request.cancel) && !patience.hasExpired())
      QThread::msleep(1);
    OperationResult result;
    std::tie(result.kind, result.unit, result.document) =
        std::tuple(request.kind, UnitState::Differs, request.document);
    result.messages = {VerificationError(), CommunicationsError()};
    result.differences = {{0x0A, 0x00, 0x07}};  // the Reset RIC's low byte
    return result;
  };
  // What the user can still do, beyond looking at other tabs: buttons, File commands, pages.
  const auto usable = [&] {
    std::size_t n = find("cmdGet")->isEnabled() + find("cmdPut")->isEnabled();
    for (const QAction* action : find<QMenu>("MenuFile")->actions())
      n += action->isEnabled() && !action->isSeparator();
    for (int tab = 0; tab < window->tabs().count(); ++tab)
      n += window->tabs().widget(tab)->isEnabled();
    return n;
  };
  Message differs = VerificationError(), tried = CommunicationsError();
  differs.details =
      "Fields that differ (written, read back):\nReset RIC (Options): 0, 7\n\n"
      "Bytes that differ (address: written, read back):\n0x0A: 00, 07\n";
  tried.text += "\nTried COM1 (/dev/ttyUSB0) at 9600 bit/s: nothing came back.";
  cfg().ResetRIC = "9";  // the first close is called off at the unsaved edits' question
  int round = 0;
  for (const std::function<void()>& stop : std::vector<std::function<void()>>{
           [&] { window->close(); }, [&] { click("cmdCancel"); },
           [&] { QTest::keyClick(window.get(), Qt::Key_Escape); },
           [&] { prompter.saveAnswer = SaveChoice::Discard, window->close(); }}) {
    prompter = RecordingPrompter();
    prompter.askAnswer = false;  // a close that does not cancel it
    window->OnPutClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->progressBar().value() == 200; }, 10000));
    EXPECT_EQ(window->busyLabel().text(), "VERIFY");
    EXPECT_TRUE(window->busyLabel().isVisible() && find("cmdCancel")->isVisible());
    EXPECT_EQ(window->progressBar().maximum(), 256);
    EXPECT_EQ(usable(), 0u);
    window->OnGetClicked();
    window->OnPutClicked();
    EXPECT_FALSE(window->close());
    prompter.askAnswer = true;
    stop();
    waitIdle();
    EXPECT_EQ(prompter.shown, (std::vector{differs, tried}));
    EXPECT_EQ(prompter.asked.size(), ++round % 3 == 1 ? 3u : 1u);  // the closes
    EXPECT_FALSE(window->busyLabel().isVisible() || window->progressBar().isVisible() ||
                 find("cmdCancel")->isVisible());
    EXPECT_EQ(usable(), 2u + 6u + 17u);
  }
  EXPECT_EQ(requestCount(), 4u);  // one at a time
  EXPECT_FALSE(QDir(path("backups")).entryList({"*_put.kova"}).isEmpty());
  EXPECT_FALSE(window->isVisible());
}

TEST_F(DeviceButtonsTest, CompareWithUnitListsWhatDiffersAndLoadsItOnlyWhenAsked) {
  reply.emplace().document = window->document();  // the unit holds the form as it started
  reply->succeeded = true;
  PackEEprom(*reply->document);
  InterpretEEprom(*reply->document);
  cfg().Zones[0].CloseFunc = 2;  // a list: its item's text, not its index
  window->Refresh();
  for (const bool load : {false, true}) {
    prompter.askAnswer = load;
    run(&MainWindow::OnCompareClicked);  // unsaved edits are not lost to it: no question
    const auto& [heading, fields] = prompter.compared.back();
    EXPECT_EQ(heading, "1 field differs between the form and the Kova Pro on COM1 (/dev/ttyUSB0):");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].label + "|" + fields[0].tab + "|" + fields[0].ours + "|" + fields[0].theirs,
              "Chan 1 Close beep|Chan 1|C|A");
    EXPECT_EQ(cfg().Zones[0].CloseFunc, load ? 0 : 2);
  }
  EXPECT_EQ(prompter.compared.size() + prompter.asked.size(), 2u);
}

// Function codes the lists cannot show: interpreting them warns, and packing
// the image again would change it. The window and the backup keep it as read.
TEST_F(DeviceButtonsTest, AGetIsShownAndKeptAsACopyExactlyAsRead) {
  OperationResult unitRead;
  std::tie(unitRead.succeeded, unitRead.document) = std::tuple(true, window->document());
  unitRead.document->image.fill(0xFF);
  unitRead.document->cfg.Ver = {"3.15", "Jan 10 2006", "2"};
  unitRead.warnings = InterpretEEprom(*unitRead.document);
  reply = unitRead;
  run(&MainWindow::OnGetClicked);
  EXPECT_EQ(window->document().image, unitRead.document->image);
  EXPECT_EQ(text("txtVer(1)") + text("txtCloseRIC1(0)"), "Jan 10 20062097151");
  ASSERT_EQ(prompter.shown.size(), 1u);  // one box for all that interpreting noticed
  EXPECT_NE(prompter.shown[0].text.find("shown as ALL"), std::string::npos);
  const QStringList gets = QDir(path("backups")).entryList({"*_get.kova"});
  ASSERT_EQ(gets.size(), 1);
  EXPECT_EQ(ReadProfile(path("backups/" + gets[0]), {}).document->image, unitRead.document->image);
}

// Find asks at each rate in turn, the last one the unit was seen at first, and
// selects the one that answered; when none did it says which it tried.
TEST_F(DeviceButtonsTest, FindSelectsTheRateTheUnitAnswersAtOrSaysWhichWereTried) {
  for (const std::optional<int> rate : {std::optional(19200), std::optional<int>()}) {
    probe = [&](const std::string& device, const std::string&, const std::vector<int>& rates,
                const std::atomic<bool>*) {
      EXPECT_EQ(device, "/dev/ttyUSB0");
      EXPECT_EQ(rates, ProbeOrder(rate ? std::nullopt : std::optional(19200)));
      ProbeResult result;
      std::tie(result.tried, result.rate) = std::tie(rates, rate);
      result.outcome = rate ? Outcome::None : Outcome::NoAnswer;
      return result;
    };
    click("cmdFindRate");
    waitIdle();
  }
  EXPECT_EQ(find<QComboBox>("lstBaudPC")->currentText(), "19200");
  EXPECT_EQ(PortRates(ports).LastSeen("/dev/ttyUSB0"), 19200);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{
                              "The Kova Pro on COM1 (/dev/ttyUSB0) did not answer at any rate "
                              "(tried 19200, 9600, 38400, 57600, 115200, 4800, 2400, 1200 bit/s)."
                              "\n\nCheck the cable and that the unit is switched on."});
}

// The device a port names: the default (USB adapters first), or one chosen or
// typed on the Comms tab, kept where kovactl finds it too.
TEST_F(DeviceButtonsTest, ThePortMappingNamesTheDeviceAndTheCommsTabChangesIt) {
  prompter.saveAnswer = SaveChoice::Discard;  // a Get may replace the changed port
  auto* device = find<QComboBox>("lstPortDevice");
  // The port, the device list's item chosen (-1: none) or the path typed, what
  // the list shows and the device a Get opens ("": refused).
  const std::tuple<int, int, const char*, const char*, const char*> steps[] = {
      {1, -1, "", "Default: /dev/ttyUSB0", "/dev/ttyUSB0"},
      {3, -1, "", "Default: no device", ""},
      {3, -1, "/dev/ttyACM7", "/dev/ttyACM7", "/dev/ttyACM7"},
      {1, 2, "", "/dev/ttyS0", "/dev/ttyS0"},
      {1, 0, "", "Default: /dev/ttyUSB0", "/dev/ttyUSB0"}};
  showTab(kCommsTab);
  for (const auto& [port, chosen, typed, shown, opened] : steps) {
    SCOPED_TRACE(shown);
    cfg().ComPort = port - 1;
    window->Refresh();
    if (chosen >= 0) emit device->activated(chosen);
    if (*typed) {
      device->lineEdit()->setText(typed);
      QTest::keyClick(device->lineEdit(), Qt::Key_Return);
    }
    EXPECT_EQ(device->currentText(), shown);
    prompter.shown.clear();
    requests.clear();
    run(&MainWindow::OnGetClicked);
    ASSERT_EQ(requestCount(), *opened ? 1u : 0u);
    EXPECT_EQ(prompter.shown,
              *opened ? std::vector<Message>{} : std::vector{PortNotMapped("COM3")});
    if (*opened) {
      EXPECT_EQ(requests[0].device + requests[0].port, opened + ("COM" + std::to_string(port)));
    }
  }
  EXPECT_EQ(ports.value("Ports/COM3").toString(), "/dev/ttyACM7");
  EXPECT_FALSE(ports.contains("Ports/COM1"));  // the default keeps no entry
}

}  // namespace
}  // namespace kova::test
