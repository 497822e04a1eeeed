// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's dialogs, questions and marks. Reading and writing files,
// and each way a write can fail, are tried in the files tests.
#include <QGuiApplication>
#include <QScreen>
#include <functional>
#include <map>

#include "../files/full_disk.h"
#include "files/backups.h"
#include "image/pack_refusals.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr const char* kFilter = "Kova (*.kova)|*.kova|All Files (*.*)|*.*";

using FileMenuTest = WindowTest;

// New, Open, Get and Exit ask first; Cancel, or a Save whose dialog is
// cancelled, keeps the changes and stops the command.
TEST_F(FileMenuTest, UnsavedChangesAreKeptUnlessTheUserLetsThemGo) {
  const std::map<std::string, std::pair<std::function<void()>, std::function<bool()>>> commands{
      {"New", {[&] { window->OnFileNew(); }, [&] { return cfg().ResetRIC == "0"; }}},
      {"Open", {[&] { window->OnFileOpen(); }, [&] { return !prompter.opened.empty(); }}},
      {"Get", {[&] { window->OnGetClicked(), waitIdle(); }, [&] { return requestCount() > 0; }}},
      {"Exit",
       {[&] { find<QAction>("MenuFileExit")->trigger(); }, [&] { return !window->isVisible(); }}}};
  struct Case {
    const char* command;
    SaveChoice answer;
    const char* saveAs;  // the Save As dialog's answer; "": cancelled
    bool wentOn;
  };
  const Case cases[] = {
      {"New", SaveChoice::Cancel, "a.kova", false}, {"New", SaveChoice::Save, "", false},
      {"New", SaveChoice::Save, "b.kova", true},    {"New", SaveChoice::Discard, "", true},
      {"Open", SaveChoice::Cancel, "", false},      {"Open", SaveChoice::Discard, "", true},
      {"Get", SaveChoice::Cancel, "", false},  // nothing goes to the unit
      {"Get", SaveChoice::Discard, "", true},       {"Exit", SaveChoice::Cancel, "", false},
      {"Exit", SaveChoice::Discard, "", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + std::string(" ") + c.saveAs);
    prompter = RecordingPrompter();
    prompter.saveAnswer = c.answer;
    if (*c.saveAs) prompter.savePath = file(c.saveAs);
    requests.clear();
    cfg().ResetRIC = "99";
    window->Refresh();
    EXPECT_TRUE(window->windowTitle().endsWith(" *"));
    const auto& [run, wentOn] = commands.at(c.command);
    run();
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(wentOn(), c.wentOn);
    // The changes stay unsaved unless New cleared them (Open and Get found no file, no unit).
    EXPECT_EQ(window->isModified(), !c.wentOn || c.command != std::string("New"));
  }
  EXPECT_FALSE(QFile::exists(path("a.kova")));
  EXPECT_TRUE(QFile::exists(path("b.kova")));
}

// The dialogs start where the user's files are, and the next run goes on from where this one ended.
TEST_F(FileMenuTest, SaveOpenAndSaveAsGoThroughTheDialogsAndTheNextRunGoesOnFromThere) {
  const std::string name = "Pr\u00fcfung 7 \u2713.kova";  // any script, shown as it is
  cfg().Zones[4].CloseRIC1 = "4242";
  window->Refresh();
  // Save right after a first start asks for a name, in the program's folder; Cancel is silent.
  window->OnFileSave();
  ASSERT_EQ(prompter.saved.size(), 1u);
  EXPECT_EQ(prompter.saved[0],
            (FileDialogRequest{"Save Configuration File", kFilter, dir.path().toStdString(), ""}));
  EXPECT_TRUE(window->isModified());
  prompter.savePath = file(name.c_str());
  window->OnFileSaveAs();
  EXPECT_EQ(text("txtFileName"), QString::fromStdString(name));
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  // Save with a current file writes there without asking.
  cfg().Zones[4].CloseRIC1 = "4343";
  window->Refresh();
  window->OnFileSave();
  EXPECT_EQ(prompter.saved.size(), 2u);
  EXPECT_FALSE(window->isModified());
  EXPECT_EQ(QDir(dir.path()).entryList({"*.kova"}), QStringList{QString::fromStdString(name)});

  // The next run opens where this one was closed, with no file open but the
  // dialogs starting at the last one. (The window is as wide as the test screen allows.)
  const QPoint place(0, 36);
  const QSize size = window->size() + QSize(0, 20);
  window->move(place);
  window->resize(size);
  Start();
  EXPECT_EQ(std::pair(window->pos(), window->size()), std::pair(place, size));
  EXPECT_EQ(text("txtFileName"), "");
  prompter.openPath = file(name.c_str());
  window->OnFileOpen();
  ASSERT_EQ(prompter.opened.size(), 1u);
  EXPECT_EQ(prompter.opened[0], (FileDialogRequest{"Open Configuration File", kFilter,
                                                   dir.path().toStdString() + "/", name}));
  EXPECT_EQ(text("txtCloseRIC1(4)"), "4343");
  EXPECT_FALSE(window->isModified());
  // A window closed minimised leaves the last place it had.
  window->move(place + QPoint(100, 100));
  window->showMinimized();
  Start();
  EXPECT_EQ(std::pair(window->pos(), window->size()), std::pair(place, size));
}

TEST_F(FileMenuTest, ARefusedValueTakesTheUserToItAndNothingIsWrittenOrSent) {
  cfg().Zones[2].CloseRIC1 = "9999999";  // pasted past the field's check
  window->Refresh();
  prompter.savePath = file("refused.kova");
  for (const auto command : {&MainWindow::OnFileSaveAs, &MainWindow::OnPutClicked}) {
    showTab(kGeneralTab);
    prompter.shown.clear();
    (window.get()->*command)();
    waitIdle();
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].text.find("'9999999'"), std::string::npos);
    EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab + 2);
    EXPECT_EQ(QApplication::focusWidget(), find("txtCloseRIC1(2)"));
  }
  EXPECT_FALSE(QFile::exists(path("refused.kova")));
  EXPECT_EQ(requestCount(), 0u);
  EXPECT_FALSE(QDir(path("backups")).exists());
}

TEST_F(FileMenuTest, AFileThatLeftFieldsEmptySaysSoOnceAndSaveOrPutOffersToFillThem) {
  // Fields the file leaves out keep what the form held: a fresh run's empty texts.
  const auto open = [&] {
    Start();
    prompter = RecordingPrompter();
    prompter.openPath = KOVA_FIXTURES "/legacy_full.kova";
    window->OnFileOpen();
    cfg().ComPort = 0;  // a port the test computer has
  };
  open();
  EXPECT_EQ(shownTexts(),
            std::vector<std::string>{"The file leaves 60 fields empty: Chan 2 to Chan 10.\n\n"
                                     "They must be filled in before the configuration can be "
                                     "saved or sent; Save and Put offer to fill them with 0."});
  const Configuration loaded = cfg();
  for (const auto& [command, refused] :
       {std::pair{&MainWindow::OnFileSaveAs, "The configuration cannot be saved"},
        {&MainWindow::OnPutClicked, "Nothing was sent to the Kova Pro"}}) {
    SCOPED_TRACE(refused);
    open();
    prompter.savePath = file("filled.kova");
    prompter.askAnswer = false;  // nothing is filled, written or sent
    (window.get()->*command)();
    waitIdle();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(
        prompter.asked[0].text,
        refused + std::string(": 60 fields cannot be packed:\nChan 2 Close RIC range end is empty\n"
                              "Chan 2 TMax is empty\nChan 2 Open RIC is empty\nChan 2 Open RIC "
                              "range end is empty\nChan 2 Toggle RIC is empty\nand 55 more.\n\n"
                              "Fill the empty fields with the values a new configuration has (0) "
                              "and go on?"));
    EXPECT_EQ(cfg(), loaded);
    EXPECT_EQ(QApplication::focusWidget(), find("txtCloseRIC2(1)"));
    EXPECT_EQ(prompter.saved.size() + requestCount(), 0u);
    prompter.askAnswer = true;
    (window.get()->*command)();
    waitIdle();
    EXPECT_TRUE(EmptyTexts(cfg()).empty());
    EXPECT_EQ(text("txtCloseRIC2(1)"), "0");
  }
  EXPECT_TRUE(QFile::exists(path("filled.kova")));
  EXPECT_EQ(requestCount(), 1u);
  open();  // a Save As cancelled in its dialog fills nothing
  window->OnFileSaveAs();
  EXPECT_EQ(cfg(), loaded);

  // Ranges left empty are named when they are checked for an overlap, not "Error 13".
  showTab(kSerialDataTab);
  cfg().RepeatRIC3.clear();
  cfg().EnableAlphaRepeat = 1;
  window->Refresh();
  prompter.shown.clear();
  click("chkEnableNumericRepeat");
  EXPECT_EQ(shownTexts(),
            std::vector<std::string>{"The alpha and numeric output ranges cannot be checked for "
                                     "an overlap: Numeric output RIC range start is empty."});
}

TEST_F(FileMenuTest, ABackupOpensFromItsFolderAndIsNeverSavedOver) {
  Document copy = window->document();
  copy.image[0x10] = 0x5A;
  const BackupOutcome backup =
      WriteBackup(path("backups"), copy, "get", QDateTime::currentDateTime());
  ASSERT_FALSE(backup.failure);
  prompter.openPath = backup.path.toStdString();
  window->OnFileOpenBackup();
  ASSERT_EQ(prompter.opened.size(), 1u);
  EXPECT_EQ(prompter.opened[0].folder, QDir(path("backups")).absolutePath().toStdString() + "/");
  EXPECT_EQ(prompter.opened[0].name, "");
  EXPECT_EQ(window->document().image[0x10], 0x5A);
  EXPECT_EQ(text("txtFileName"), "");
  EXPECT_FALSE(window->isModified());
  window->OnFileSave();  // asks where to, starting where the user's own files are
  ASSERT_EQ(prompter.saved.size(), 1u);
  EXPECT_EQ(prompter.saved[0].folder, dir.path().toStdString());
}

// One case of a failed write (the others are the files tests'): the message, the changes
// still unsaved; a backup that cannot be written warns, and the operation goes ahead.
TEST_F(FileMenuTest, AFailedWriteSaysSoAndTheChangesStayUnsaved) {
  prompter.savePath = file("kept.kova");
  cfg().ResetRIC = "5";
  window->Refresh();
  {
    FullDisk full;
    window->OnFileSaveAs();
  }
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Could not save \"" + file("kept.kova") +
                                                   "\"; nothing was written.\nFile too large."});
  EXPECT_TRUE(window->windowTitle().endsWith(" *"));
  window->OnFileSaveAs();  // the disk has room again
  EXPECT_FALSE(window->isModified());
  for (const auto& [command, goesOn] :
       {std::pair{&MainWindow::OnPutClicked, "is sent to the Kova Pro all the same."},
        {&MainWindow::OnGetClicked, "read from the Kova Pro is shown all the same."}}) {
    prompter.shown.clear();
    {
      FullDisk full;
      (window.get()->*command)();
      waitIdle();
    }
    ASSERT_EQ(prompter.shown.size(), 1u) << goesOn;
    EXPECT_NE(prompter.shown[0].text.find(goesOn), std::string::npos) << prompter.shown[0].text;
  }
  EXPECT_EQ(requestCount(), 2u);
  EXPECT_TRUE(QDir(path("backups")).isEmpty());
}

TEST_F(FileMenuTest, TheFirstFolderIsTheUsersOwnAndASaveOverAnotherProgramsChangesAsksFirst) {
  // An earlier run (or one under sudo) left the program's own folder.
  Start(
      ("[Settings]\nPath=" + QCoreApplication::applicationDirPath() + "/\n").toUtf8().constData());
  window->OnFileOpen();
  ASSERT_EQ(prompter.opened.size(), 1u);
  EXPECT_EQ(prompter.opened[0].folder, DefaultFileFolder().toStdString());

  prompter.savePath = file("shared.kova");
  window->OnFileSaveAs();
  Document theirs = window->document();
  theirs.cfg.ResetRIC = "77";
  ASSERT_TRUE(WriteProfile(path("shared.kova"), theirs).ok());  // another program
  cfg().ResetRIC = "88";
  window->Refresh();
  for (const bool saveOver : {false, true}) {
    prompter.saveOverAnswer = saveOver;
    window->OnFileSave();
    ASSERT_EQ(prompter.asked.size(), saveOver ? 2u : 1u);
    EXPECT_NE(prompter.asked.back().text.find("has been changed by another program"),
              std::string::npos);
    EXPECT_EQ(ReadProfile(path("shared.kova"), Document{}).document->cfg.ResetRIC,
              saveOver ? "88" : "77");
    EXPECT_EQ(window->isModified(), !saveOver);
  }
}

// A settings file that does not parse is named once (and rewritten at exit); places that
// cannot be used are named, and a window that would not fit comes back on this screen.
TEST_F(FileMenuTest, StoredSettingsThatCannotBeUsedAreNamedOnceAndReplaced) {
  Start("\x01\x02garbage\xFF\n==\n[[");
  Start();
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_NE(prompter.shown[0].text.find(file("settings.ini") + "\" has lines that are neither"),
            std::string::npos);
  Start("[Settings]\nMainLeft=left\nMainTop=720\n");  // twips
  ASSERT_EQ(prompter.shown.size(), 2u);
  EXPECT_NE(prompter.shown[1].text.find("MainLeft"), std::string::npos);
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  EXPECT_EQ(window->pos(), QPoint(0, TwipsToPixels(720, dpi)));  // it fits: kept
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  // A screen unplugged since, or a place from a larger screen: moved, then
  // shrunk; a maximised one maximised.
  for (const char* place : {"MainLeft=9000000\nMainTop=9000000", "MainLeft=3000\nMainTop=3000",
                            "MainLeft=0\nMainTop=0"}) {
    Start((QByteArray("[Settings]\nMainWidth=90000\nMainHeight=90000\n") + place).constData());
    EXPECT_TRUE(area.contains(window->geometry())) << place;
    EXPECT_EQ(window->isMaximized(), place[9] == '0') << place;
  }
  EXPECT_EQ(prompter.shown.size(), 2u);
}

}  // namespace
}  // namespace kova::test
