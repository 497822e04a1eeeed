#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include "window/window_hooks.h"
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
  c.AlphaSubRIC = "77";
  c.SynthRx = 1;
  c.Polarity = PolarityMode::Inverted;
  c.PocsagBaud = PocsagRate::R2400;
  c.RlyMode = OutputMode::Timed;
  c.RlyTime = "30";
  c.BaudKova = 0;
  c.Freq = 460000000;
  window->Refresh();
  find<QAction>("MenuFileNew")->trigger();

  EXPECT_EQ(text("txtFileName"), "");
  EXPECT_EQ(text("txtCloseRIC1(6)"), "0");
  EXPECT_EQ(find<QComboBox>("lstCloseFunc(6)")->currentText(), "C");
  EXPECT_EQ(find<QLabel>("Label28(6)")->text(), "Timeout");
  EXPECT_EQ(text("txtFreq"), "459.050 000");
  EXPECT_TRUE(find<QRadioButton>("optChanSpace(1)")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("chkSynthRx")->isChecked());
  EXPECT_TRUE(find("frmSynthRx")->isHidden());
  // Orvel stays ticked with its Sub box showing, unticked; the field hides.
  EXPECT_FALSE(find("chkEnableAlphaSub")->isHidden());
  EXPECT_FALSE(find<QCheckBox>("chkEnableAlphaSub")->isChecked());
  EXPECT_TRUE(find("txtAlphaSubRIC")->isHidden());
  EXPECT_TRUE(find<QRadioButton>("opt1200")->isChecked());
  EXPECT_TRUE(find<QRadioButton>("optNormal")->isChecked());
  EXPECT_FALSE(find("optAutoPol")->isHidden());
  EXPECT_EQ(text("txtClkJog"), "8");
  EXPECT_TRUE(find<QRadioButton>("optRlyTimed")->isChecked());
  EXPECT_EQ(text("txtRlyTime"), "0");
  EXPECT_EQ(find<QComboBox>("lstBaudKova")->currentIndex(), 0);
  EXPECT_TRUE(prompter.asked.empty());  // nothing unsaved: no question
}

// Records which file hooks ran and answers Save as told.
struct RecordingHooks : WindowHooks {
  bool Save(frmMain&) override {
    ++saves;
    return saved;
  }
  void Open(frmMain&) override { ++opens; }
  int saves = 0;
  int opens = 0;
  bool saved = true;
};

TEST_F(FileMenuTest, UnsavedChangesAreKeptUnlessTheUserLetsThemGo) {
  RecordingHooks hooks;
  window = std::make_unique<frmMain>(prompter, &hooks);
  struct Case {
    SaveChoice answer;
    bool saved;    // what the save hook reports
    bool cleared;  // New went ahead
    int saves;
  };
  const Case cases[] = {{SaveChoice::Cancel, true, false, 0},
                        {SaveChoice::Save, false, false, 1},  // the save failed or was cancelled
                        {SaveChoice::Save, true, true, 1},
                        {SaveChoice::Discard, true, true, 0}};
  for (const auto& c : cases) {
    hooks.saves = 0;
    hooks.saved = c.saved;
    prompter.asked.clear();
    prompter.saveAnswer = c.answer;
    cfg().ResetRIC = "99";
    window->setModified(true);
    EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1 *");
    window->MenuFileNew_Click();
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(hooks.saves, c.saves);
    EXPECT_EQ(cfg().ResetRIC, c.cleared ? "0" : "99");
    EXPECT_EQ(window->isModified(), !c.cleared);
  }
  // Open asks the same question first; Cancel keeps the open dialog away.
  window->setModified(true);
  prompter.saveAnswer = SaveChoice::Cancel;
  window->MenuFileOpen_Click();
  EXPECT_EQ(hooks.opens, 0);
  prompter.saveAnswer = SaveChoice::Discard;
  window->MenuFileOpen_Click();
  EXPECT_EQ(hooks.opens, 1);
}

TEST_F(FileMenuTest, ClosingWithUnsavedChangesCanBeCancelled) {
  window->setModified(true);
  prompter.saveAnswer = SaveChoice::Cancel;
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_TRUE(window->isVisible());
  prompter.saveAnswer = SaveChoice::Discard;
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(prompter.asked.size(), 2u);
}

}  // namespace
}  // namespace kova::test
