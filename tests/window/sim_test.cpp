// SPDX-License-Identifier: GPL-3.0-or-later
// The window against kova-sim: what a user sees while Put and Get run at the
// unit's own pace, and what ends up in the unit, the window and the backups.

#include "image/clear_form.h"
#include "image/pack.h"
#include "link/operation.h"
#include "link/port_map.h"
#include "sim_process.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr int k19200 = 3;

class SimTest : public WindowTest {
 protected:
  void SetUp() override {
    unit = [](const OperationRequest& request, const ProgressSink& progress) {
      return RunOperation(request, progress);
    };
    WindowTest::SetUp();
    Document start;
    start.cfg = StartupConfiguration();
    PackEEprom(start);
    sim.WriteEEprom(start.image);
    PortMap(ports).Choose(1, sim.Link());
  }

  // Runs an operation as the user sees it: the captions shown, in order.
  std::vector<std::string> Run(void (MainWindow::*command)()) {
    std::vector<std::string> captions;
    (window.get()->*command)();
    while (window->isBusy()) {
      const std::string caption = window->busyLabel().text().toStdString();
      if (captions.empty() || captions.back() != caption) captions.push_back(caption);
      QTest::qWait(5);
    }
    return captions;
  }

  SimFolder sim;
};

TEST_F(SimTest, PutMovesTheUnitToANewRateAndGetReadsItBack) {
  SimProcess process(sim);
  cfg().BaudKova = k19200;
  cfg().Zones[0].CloseRIC1 = "1000";
  window->Refresh();
  EXPECT_EQ(Run(&MainWindow::OnPutClicked), (std::vector<std::string>{"PUT", "VERIFY"}));
  EXPECT_EQ(prompter.shown, std::vector<Message>{});
  EXPECT_EQ(find<QComboBox>("lstBaudPC")->currentText(), "19200");
  const EEpromImage stored = sim.ReadEEprom();
  EXPECT_TRUE(std::equal(stored.begin() + 4, stored.end(), window->document().image.begin() + 4));

  cfg().Zones[0].CloseRIC1 = "5";
  window->Refresh();
  prompter.saveAnswer = SaveChoice::Discard;  // the unit's values replace the edit
  EXPECT_EQ(Run(&MainWindow::OnGetClicked), std::vector<std::string>{"GET"});
  EXPECT_EQ(prompter.shown, std::vector<Message>{});
  EXPECT_EQ(text("txtCloseRIC1(0)"), "1000");
  EXPECT_EQ(find<QComboBox>("lstBaudKova")->currentText(), "19200");

  // One copy of what was sent and one of what came back, each as it was.
  const std::vector<EEpromImage> sent = backups("put");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(std::equal(stored.begin() + 4, stored.end(), sent[0].begin() + 4));
  EXPECT_EQ(backups("get"), std::vector{stored});

  // Find, with the PC rate left at another: the rate the unit answers at is selected and kept.
  cfg().BaudPC = 4;  // 9600
  window->Refresh();
  EXPECT_EQ(Run(&MainWindow::OnFindRateClicked), std::vector<std::string>{"FIND"});
  EXPECT_EQ(prompter.shown, std::vector<Message>{});
  EXPECT_EQ(find<QComboBox>("lstBaudPC")->currentText(), "19200");
  EXPECT_EQ(PortRates(ports).LastSeen(sim.Link()), 19200);
}

}  // namespace
}  // namespace kova::test
