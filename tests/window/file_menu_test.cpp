#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>

#include "window_test_support.h"

namespace kova::test {
namespace {

using FileMenuTest = WindowTest;

TEST_F(FileMenuTest, NewClearsTheFormButKeepsTheUsersChoices) {
  Configuration& c = cfg();
  c.FileName = "site.kova";
  c.Zones[6].CloseFunc = 2;
  c.Zones[6].CloseRIC1 = "1234";
  c.Zones[6].TxMonitor = 1;
  c.EnableAlphaSub = 1;
  c.SynthRx = 1;
  c.Polarity = PolarityMode::Inverted;
  c.PocsagBaud = PocsagRate::R2400;
  c.RlyMode = OutputMode::Timed;
  c.RlyTime = "30";
  window->Refresh();
  find<QAction>("MenuFileNew")->trigger();

  for (const auto& [field, shown] : {std::pair{"txtFileName", ""},
                                     {"txtCloseRIC1(6)", "0"},
                                     {"txtFreq", "459.050 000"},
                                     {"txtClkJog", "8"},
                                     {"txtRlyTime", "0"}}) {
    EXPECT_EQ(text(field), shown) << field;
  }
  for (const auto& [control, ticked] : {std::pair{"optChanSpace(1)", true},
                                        {"chkSynthRx", false},
                                        {"chkEnableAlphaSub", false},
                                        {"opt1200", true},
                                        {"optNormal", true},
                                        {"optRlyTimed", true}}) {
    EXPECT_EQ(find<QAbstractButton>(control)->isChecked(), ticked) << control;
  }
  for (const auto& [control, hidden] : {std::pair{"frmSynthRx", true},
                                        {"chkEnableAlphaSub", false},
                                        {"txtAlphaSubRIC", true},
                                        {"optAutoPol", false},
                                        {"txtRlyTime", false}}) {
    EXPECT_EQ(find(control)->isHidden(), hidden) << control;
  }
  EXPECT_EQ(find<QComboBox>("lstCloseFunc(6)")->currentText(), "C");
  EXPECT_EQ(find<QLabel>("Label28(6)")->text(), "Timeout");
  EXPECT_TRUE(prompter.asked.empty());  // nothing unsaved: no question
}

TEST_F(FileMenuTest, UnsavedChangesAreKeptUnlessTheUserLetsThemGo) {
  struct Case {
    SaveChoice answer;
    bool saved;    // what saving reports (false: failed or cancelled)
    bool cleared;  // New went ahead
  };
  const Case cases[] = {{SaveChoice::Cancel, true, false},
                        {SaveChoice::Save, false, false},
                        {SaveChoice::Save, true, true},
                        {SaveChoice::Discard, true, true}};
  for (const auto& c : cases) {
    hooks.saved = c.saved;
    prompter.saveAnswer = c.answer;
    cfg().ResetRIC = "99";
    window->setModified(true);
    window->MenuFileNew_Click();
    EXPECT_EQ(cfg().ResetRIC, c.cleared ? "0" : "99");
    EXPECT_EQ(window->windowTitle().endsWith(" *"), !c.cleared);
  }
  EXPECT_EQ(prompter.asked.size(), 4u);
  EXPECT_EQ(hooks.saves, 2);

  window->setModified(true);  // Open and Exit ask the same question first
  prompter.saveAnswer = SaveChoice::Cancel;
  window->MenuFileOpen_Click();
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_EQ(hooks.opens, 0);
  EXPECT_TRUE(window->isVisible());
  prompter.saveAnswer = SaveChoice::Discard;
  window->MenuFileOpen_Click();
  EXPECT_EQ(hooks.opens, 1);
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace kova::test
