#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <functional>

#include "files/profile.h"
#include "window/backups.h"
#include "window/window_pages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr const char* kFilter = "Kova (*.kova)|*.kova|All Files (*.*)|*.*";

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
  prompter.saveAnswer = SaveChoice::Discard;
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
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");  // a new form is not unsaved
}

TEST_F(FileMenuTest, UnsavedChangesAreKeptUnlessTheUserLetsThemGo) {
  struct Case {
    SaveChoice answer;
    std::optional<std::string> saveAs;  // the Save As dialog's answer; nothing: cancelled
    bool cleared;                       // New went ahead
  };
  const Case cases[] = {{SaveChoice::Cancel, file("a.kova"), false},
                        {SaveChoice::Save, std::nullopt, false},
                        {SaveChoice::Save, file("b.kova"), true},
                        {SaveChoice::Discard, std::nullopt, true}};
  for (const auto& c : cases) {
    prompter.saveAnswer = c.answer;
    prompter.savePath = c.saveAs;
    cfg().ResetRIC = "99";
    window->Refresh();
    EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1 *");
    window->MenuFileNew_Click();
    EXPECT_EQ(cfg().ResetRIC, c.cleared ? "0" : "99");
    EXPECT_EQ(window->windowTitle().endsWith(" *"), !c.cleared);
  }
  EXPECT_EQ(prompter.asked.size(), 4u);
  EXPECT_FALSE(QFile::exists(path("a.kova")));
  EXPECT_TRUE(QFile::exists(path("b.kova")));
  // A change taken back leaves nothing unsaved.
  cfg().ResetRIC = "0";
  window->Refresh();
  EXPECT_FALSE(window->isModified());

  cfg().ResetRIC = "7";  // Open and Exit ask the same question first
  window->Refresh();
  prompter.saveAnswer = SaveChoice::Cancel;
  window->MenuFileOpen_Click();
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_TRUE(prompter.opened.empty());
  EXPECT_TRUE(window->isVisible());
  prompter.saveAnswer = SaveChoice::Discard;
  window->MenuFileOpen_Click();
  EXPECT_EQ(prompter.opened.size(), 1u);
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(prompter.asked.size(), 8u);
}

TEST_F(FileMenuTest, SaveOpenAndSaveAsGoThroughTheDialogs) {
  const std::string folder = dir.path().toStdString() + "/";
  cfg().Zones[4].CloseRIC1 = "4242";
  window->Refresh();
  // Save right after start-up asks for a name, in the program's folder; Cancel is silent.
  window->MenuFileSave_Click();
  ASSERT_EQ(prompter.saved.size(), 1u);
  EXPECT_EQ(prompter.saved[0],
            (FileDialogRequest{"Save Configuration File", kFilter, dir.path().toStdString(), ""}));
  EXPECT_TRUE(window->isModified());
  // A name without an extension is used as typed.
  prompter.savePath = file("site");
  window->MenuFileSaveAs_Click();
  EXPECT_TRUE(QFile::exists(path("site")));
  EXPECT_EQ(text("txtFileName"), "site");
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  // Save with a current file writes there without asking.
  cfg().Zones[4].CloseRIC1 = "4343";
  window->Refresh();
  window->MenuFileSave_Click();
  EXPECT_EQ(prompter.saved.size(), 2u);
  EXPECT_FALSE(window->isModified());
  // Open brings the saved configuration back, with nothing unsaved.
  cfg().Zones[4].CloseRIC1 = "1";
  window->Refresh();
  prompter.saveAnswer = SaveChoice::Discard;
  prompter.openPath = file("site");
  window->MenuFileOpen_Click();
  ASSERT_EQ(prompter.opened.size(), 1u);
  EXPECT_EQ(prompter.opened[0],
            (FileDialogRequest{"Open Configuration File", kFilter, folder, "site"}));
  EXPECT_EQ(text("txtCloseRIC1(4)"), "4343");
  EXPECT_FALSE(window->isModified());
}

TEST_F(FileMenuTest, ARefusedValueTakesTheUserToItAndNothingIsWrittenOrSent) {
  cfg().Zones[2].CloseRIC1 = "9999999";  // pasted past the field's check
  window->Refresh();
  prompter.savePath = file("refused.kova");
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"Save As", [&] { window->MenuFileSaveAs_Click(); }},
      {"Put", [&] { window->cmdPut_Click(); }}};
  for (const auto& [name, command] : commands) {
    showTab(kGeneralTab);
    prompter.shown.clear();
    command();
    waitIdle();
    ASSERT_EQ(prompter.shown.size(), 1u) << name;
    EXPECT_NE(prompter.shown[0].text.find("'9999999'"), std::string::npos) << name;
    EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab + 2) << name;
    EXPECT_EQ(QApplication::focusWidget(), find("txtCloseRIC1(2)")) << name;
  }
  EXPECT_FALSE(QFile::exists(path("refused.kova")));
  EXPECT_EQ(text("txtFileName"), "");
  EXPECT_EQ(requestCount(), 0u);
  EXPECT_FALSE(QDir(path("backups")).exists());
}

TEST_F(FileMenuTest, ABackupOpensFromItsFolderAndIsNeverSavedOver) {
  Document copy = window->document();
  copy.image.fill(0);
  copy.image[0x10] = 0x5A;
  const BackupOutcome backup =
      WriteBackup(path("backups"), copy, "get", QDateTime::currentDateTime());
  ASSERT_FALSE(backup.failure);
  prompter.openPath = backup.path.toStdString();
  window->MenuFileOpenBackup_Click();
  ASSERT_EQ(prompter.opened.size(), 1u);
  EXPECT_EQ(prompter.opened[0].folder, QDir(path("backups")).absolutePath().toStdString() + "/");
  EXPECT_EQ(prompter.opened[0].name, "");
  EXPECT_EQ(window->document().image[0x10], 0x5A);
  EXPECT_EQ(text("txtFileName"), "");
  EXPECT_FALSE(window->isModified());
  // Save asks where to, starting where the user's own files are.
  window->MenuFileSave_Click();
  ASSERT_EQ(prompter.saved.size(), 1u);
  EXPECT_EQ(prompter.saved[0].folder, dir.path().toStdString());
}

}  // namespace
}  // namespace kova::test
