// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's dialogs, questions and marks. Reading and writing files,
// and each way a write can fail, are tried in the files tests.
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
      {"Get", {[&] { run(&MainWindow::OnGetClicked); }, [&] { return requestCount() > 0; }}},
      {"Exit",
       {[&] { find<QAction>("MenuFileExit")->trigger(); }, [&] { return !window->isVisible(); }}}};
  using S = SaveChoice;  // the answer, the Save As dialog's ("": cancelled), whether it went on
  const std::tuple<const char*, SaveChoice, const char*, bool> cases[] = {
      {"New", S::Cancel, "a.kova", false}, {"New", S::Save, "", false},
      {"New", S::Save, "b.kova", true},    {"New", S::Discard, "", true},
      {"Open", S::Cancel, "", false},      {"Open", S::Discard, "", true},
      {"Get", S::Cancel, "", false},       {"Get", S::Discard, "", true},
      {"Exit", S::Cancel, "", false},      {"Exit", S::Discard, "", true}};
  for (const auto& [command, answer, saveAs, wentOn] : cases) {
    SCOPED_TRACE(command + std::string(" ") + saveAs);
    prompter = RecordingPrompter();
    prompter.saveAnswer = answer;
    if (*saveAs) prompter.savePath = file(saveAs);
    requests.clear();
    cfg().ResetRIC = "99";
    window->Refresh();
    commands.at(command).first();
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(commands.at(command).second(), wentOn);
    // Unsaved still, unless New cleared them (Open and Get found no file, no unit).
    EXPECT_EQ(window->isModified(), !wentOn || command != std::string("New"));
  }
  EXPECT_FALSE(QFile::exists(path("a.kova")));
  EXPECT_TRUE(QFile::exists(path("b.kova")));
}

// The dialogs start where the user's files are; a failed write says so and the
// changes stay unsaved; the next run goes on from where this one ended.
TEST_F(FileMenuTest, SaveOpenAndSaveAsGoThroughTheDialogsAndTheNextRunGoesOnFromThere) {
  const std::string name = "Pr\u00fcfung 7 \u2713.kova";  // any script, shown as it is
  cfg().Zones[4].CloseRIC1 = "4242";
  window->Refresh();
  window->OnFileSave();  // right after a first start: a name, in the program's folder
  EXPECT_EQ(prompter.saved.at(0),
            (FileDialogRequest{"Save Configuration File", kFilter, dir.path().toStdString(), ""}));
  prompter.savePath = file(name.c_str());
  {
    FullDisk full;  // one failed write; the others are the files tests'
    window->OnFileSaveAs();
  }
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Could not save \"" + file(name.c_str()) +
                                                   "\"; nothing was written.\nFile too large."});
  EXPECT_TRUE(window->windowTitle().endsWith(" *"));
  window->OnFileSaveAs();
  EXPECT_EQ(text("txtFileName"), QString::fromStdString(name));
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  // Save with a current file writes there without a dialog; over another program's
  // changes only when the user lets it.
  Document theirs = window->document();
  theirs.cfg.ResetRIC = "77";
  ASSERT_TRUE(WriteProfile(QString::fromStdString(file(name.c_str())), theirs).ok());
  cfg().Zones[4].CloseRIC1 = "4343";
  window->Refresh();
  for (const bool saveOver : {false, true}) {
    prompter.askAnswer = saveOver;
    window->OnFileSave();
    EXPECT_EQ(prompter.asked.size(), saveOver ? 2u : 1u);
    EXPECT_NE(prompter.asked.back().text.find("has been changed by another program"),
              std::string::npos);
    EXPECT_EQ(window->isModified(), !saveOver);
  }
  EXPECT_EQ(prompter.saved.size(), 3u);
  EXPECT_EQ(QDir(dir.path()).entryList({"*.kova"}), QStringList{QString::fromStdString(name)});

  // The window is as wide as the test screen allows.
  const QPoint place(0, 36);
  const QSize size = window->size() + QSize(0, 20);
  window->move(place);
  window->resize(size);
  Start();
  EXPECT_EQ(std::pair(window->pos(), window->size()), std::pair(place, size));
  EXPECT_EQ(text("txtFileName"), "");
  prompter.openPath = file(name.c_str());
  window->OnFileOpen();
  EXPECT_EQ(prompter.opened.at(0), (FileDialogRequest{"Open Configuration File", kFilter,
                                                      dir.path().toStdString() + "/", name}));
  EXPECT_EQ(text("txtCloseRIC1(4)") + text("txtResetRIC"), "43430");  // ours, saved over theirs
  EXPECT_FALSE(window->isModified());
  window->move(place + QPoint(100, 100));  // closed minimised: the last place it had
  window->showMinimized();
  Start();
  EXPECT_EQ(std::pair(window->pos(), window->size()), std::pair(place, size));
  // An earlier run (or one under sudo) left the program's own folder: the user's own is taken.
  Start(("[Settings]\nPath=" + QCoreApplication::applicationDirPath() + "/\n").toUtf8().data());
  window->OnFileOpen();
  EXPECT_EQ(prompter.opened.at(1).folder, DefaultFileFolder().toStdString());
}

// Save As and Put: a value that cannot be packed takes the user to it and
// nothing is written or sent; fields a file left empty are offered a fill.
TEST_F(FileMenuTest, WhatCannotBePackedIsShownAndNothingIsWrittenOrSent) {
  for (const auto& [command, refused] :
       {std::pair{&MainWindow::OnFileSaveAs, "The configuration cannot be saved"},
        {&MainWindow::OnPutClicked, "Nothing was sent to the Kova Pro"}}) {
    SCOPED_TRACE(refused);
    Start();  // a legacy file leaves out fields: a fresh run's empty texts
    prompter = RecordingPrompter();
    window->OpenFile(Fixture("legacy_full.kova"));
    cfg().ComPort = 0;  // a port the test computer has
    prompter.savePath = file("filled.kova");
    EXPECT_EQ(shownTexts(),
              std::vector<std::string>{"The file leaves 60 fields empty: Chan 2 to Chan 10.\n\n"
                                       "They must be filled in before the configuration can be "
                                       "saved or sent; Save and Put offer to fill them with 0."});
    const Configuration loaded = cfg();
    prompter.askAnswer = false;  // nothing is filled, written or sent
    run(command);
    EXPECT_EQ(
        prompter.asked.at(0).text,
        refused + std::string(": 60 fields cannot be packed:\nChan 2 Close RIC range end is empty\n"
                              "Chan 2 TMax is empty\nChan 2 Open RIC is empty\nChan 2 Open RIC "
                              "range end is empty\nChan 2 Toggle RIC is empty\nand 55 more.\n\n"
                              "Fill the empty fields with the values a new configuration has (0) "
                              "and go on?"));
    EXPECT_EQ(cfg(), loaded);
    EXPECT_EQ(QApplication::focusWidget(), find("txtCloseRIC2(1)"));
    prompter.askAnswer = true;
    cfg().Zones[2].CloseRIC1 = "9999999";  // pasted past the field's check
    window->Refresh();
    showTab(kGeneralTab);
    prompter.shown.clear();
    run(command);
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown.at(0).text.find("'9999999'"), std::string::npos);
    EXPECT_EQ(QApplication::focusWidget(), find("txtCloseRIC1(2)"));
    EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab + 2);
    EXPECT_EQ(prompter.saved.size() + requestCount(), 0u);
    EXPECT_FALSE(QDir(path("backups")).exists());
    cfg().Zones[2].CloseRIC1 = "0";
    window->Refresh();
    run(command);
    EXPECT_EQ(text("txtCloseRIC2(1)"), "0");
    EXPECT_TRUE(EmptyTexts(cfg()).empty());
  }
  EXPECT_TRUE(QFile::exists(path("filled.kova")));
  EXPECT_EQ(requestCount(), 1u);
}

// A backup opens from its folder and is never saved over; one that cannot be
// written warns, and the operation goes ahead.
TEST_F(FileMenuTest, BackupsOpenFromTheirFolderAndAFailedOneWarnsOnly) {
  for (const auto& [command, goesOn] :
       {std::pair{&MainWindow::OnPutClicked, "is sent to the Kova Pro all the same."},
        {&MainWindow::OnGetClicked, "read from the Kova Pro is shown all the same."}}) {
    prompter.shown.clear();
    FullDisk full;
    run(command);
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown.at(0).text.find(goesOn), std::string::npos) << goesOn;
  }
  EXPECT_EQ(requestCount(), 2u);
  Document copy = window->document();
  copy.image[0x10] = 0x5A;
  prompter.openPath =
      WriteBackup(path("backups"), copy, "get", QDateTime::currentDateTime()).path.toStdString();
  window->OnFileOpenBackup();
  EXPECT_EQ(prompter.opened.at(0).folder, QDir(path("backups")).absolutePath().toStdString() + "/");
  EXPECT_EQ(prompter.opened.at(0).name + text("txtFileName").toStdString(), "");
  EXPECT_EQ(window->document().image[0x10], 0x5A);
  EXPECT_FALSE(window->isModified());
  window->OnFileSave();  // asks where to, starting where the user's own files are
  EXPECT_EQ(prompter.saved.at(0).folder, dir.path().toStdString());
}

// A stored value that cannot be used is named once (each way it can fail is the files
// tests'); a window that would not fit comes back on this screen: a
// screen unplugged since, or a place from a larger screen: moved, shrunk, or maximised.
TEST_F(FileMenuTest, StoredSettingsThatCannotBeUsedAreNamedOnceAndReplaced) {
  Start("[Settings]\nMainLeft=left\nMainTop=720\n");  // twips
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_NE(prompter.shown[0].text.find("Setting \"MainLeft\": 'left' is not a number"),
            std::string::npos);
  const QScreen* screen = QGuiApplication::primaryScreen();
  EXPECT_EQ(window->pos(), QPoint(0, TwipsToPixels(720, screen->logicalDotsPerInch())));
  Start();  // written anew at exit: named once
  for (const char* place : {"MainLeft=9000000\nMainTop=9000000", "MainLeft=3000\nMainTop=3000",
                            "MainLeft=0\nMainTop=0"}) {
    Start((QByteArray("[Settings]\nMainWidth=90000\nMainHeight=90000\n") + place).constData());
    EXPECT_TRUE(screen->availableGeometry().contains(window->geometry())) << place;
    EXPECT_EQ(window->isMaximized(), place[9] == '0') << place;
  }
  EXPECT_EQ(prompter.shown.size(), 1u);
}

}  // namespace
}  // namespace kova::test
