// SPDX-License-Identifier: GPL-3.0-or-later
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

class FileMenuTest : public WindowTest {
 protected:
  // What every named control shows, and whether it is hidden.
  std::map<std::string, std::string> view() {
    std::map<std::string, std::string> shown;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
      QString value = w->property("text").toString() + w->property("currentText").toString();
      if (w->property("checked").toBool()) value += " ticked";
      if (w->isHidden()) value += " hidden";
      if (!w->objectName().isEmpty()) shown[w->objectName().toStdString()] = value.toStdString();
    }
    return shown;
  }
};

TEST_F(FileMenuTest, NewClearsTheFormButKeepsTheUsersChoices) {
  const auto started = view();
  Configuration& c = cfg();
  c.FileName = "site.kova";  // cleared, as the next three
  c.Zones[6].CloseRIC1 = "1234";
  c.SynthRx = 1;
  c.PocsagBaud = PocsagRate::R2400;
  c.Zones[6].CloseFunc = 2;  // kept, as the next two
  c.Zones[6].TxMonitor = 1;
  c.RlyMode = OutputMode::Timed;
  window->Refresh();
  prompter.saveAnswer = SaveChoice::Discard;
  find<QAction>("MenuFileNew")->trigger();
  std::map<std::string, std::string> changed;  // all that differs from a fresh start
  for (const auto& [name, shown] : view())
    if (started.at(name) != shown) changed[name] = shown;
  EXPECT_EQ(changed, (std::map<std::string, std::string>{
                         {"chkTxMonitor(6)", "Test Call Monitor ticked"},
                         {"Label28(6)", "Timeout"},  // the test call monitor's caption
                         {"lstCloseFunc(6)", "C"},
                         {"optRlyTimed", "Timed ticked"},
                         {"optRlyWireOrd", "Fixed"},
                         {"txtRlyTime", "0"},  // shown, for a timed relay
                         {"Label28(12)", "Time"},
                         {"Label56", "S"}}));
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
    window->OnFileNew();
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

  cfg().ResetRIC = "7";  // Open, Get and Exit ask the same question first
  window->Refresh();
  prompter.saveAnswer = SaveChoice::Cancel;
  window->OnFileOpen();
  window->OnGetClicked();
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_TRUE(prompter.opened.empty());
  EXPECT_EQ(requestCount(), 0u);  // Cancel sends nothing to the unit
  EXPECT_TRUE(window->isVisible());
  prompter.saveAnswer = SaveChoice::Discard;
  window->OnFileOpen();
  EXPECT_EQ(prompter.opened.size(), 1u);
  window->OnGetClicked();
  waitIdle();
  EXPECT_EQ(requestCount(), 1u);
  find<QAction>("MenuFileExit")->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(prompter.asked.size(), 10u);
}

TEST_F(FileMenuTest, SaveOpenAndSaveAsGoThroughTheDialogsAndTheNextRunGoesOnFromThere) {
  cfg().Zones[4].CloseRIC1 = "4242";
  window->Refresh();
  // Save right after a first start asks for a name, in the program's folder; Cancel is silent.
  window->OnFileSave();
  ASSERT_EQ(prompter.saved.size(), 1u);
  EXPECT_EQ(prompter.saved[0],
            (FileDialogRequest{"Save Configuration File", kFilter, dir.path().toStdString(), ""}));
  EXPECT_TRUE(window->isModified());
  prompter.savePath = file("unit 7.kova");
  window->OnFileSaveAs();
  EXPECT_EQ(text("txtFileName"), "unit 7.kova");
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  // Save with a current file writes there without asking.
  cfg().Zones[4].CloseRIC1 = "4343";
  window->Refresh();
  window->OnFileSave();
  EXPECT_EQ(prompter.saved.size(), 2u);
  EXPECT_FALSE(window->isModified());

  // The next run opens where this one was closed, with no file open but the
  // dialogs starting at the last one. (The window is as wide as the test
  // screen allows.)
  const QPoint place(0, 36);
  const QSize size = window->size() + QSize(0, 20);
  window->move(place);
  window->resize(size);
  Start();
  EXPECT_EQ(window->pos(), place);
  EXPECT_EQ(window->size(), size);
  EXPECT_EQ(text("txtFileName"), "");
  cfg().Zones[4].CloseRIC1 = "1";
  window->Refresh();
  prompter.saveAnswer = SaveChoice::Discard;
  prompter.openPath = file("unit 7.kova");
  window->OnFileOpen();
  ASSERT_EQ(prompter.opened.size(), 1u);
  EXPECT_EQ(prompter.opened[0], (FileDialogRequest{"Open Configuration File", kFilter,
                                                   dir.path().toStdString() + "/", "unit 7.kova"}));
  EXPECT_EQ(text("txtCloseRIC1(4)"), "4343");
  EXPECT_FALSE(window->isModified());
  // A window closed minimised leaves the last place it had.
  window->move(place + QPoint(100, 100));
  window->showMinimized();
  Start();
  EXPECT_EQ(window->pos(), place);
  EXPECT_EQ(window->size(), size);
}

TEST_F(FileMenuTest, ARefusedValueTakesTheUserToItAndNothingIsWrittenOrSent) {
  cfg().Zones[2].CloseRIC1 = "9999999";  // pasted past the field's check
  window->Refresh();
  prompter.savePath = file("refused.kova");
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"Save As", [&] { window->OnFileSaveAs(); }}, {"Put", [&] { window->OnPutClicked(); }}};
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
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "The file leaves 60 fields empty: Chan 2 to Chan 10.\n\nThey must be filled in before "
            "the configuration can be saved or sent; Save and Put offer to fill them with 0.");
  const Configuration loaded = cfg();
  const std::tuple<const char*, std::function<void()>, std::string> commands[] = {
      {"Save As", [&] { window->OnFileSaveAs(); }, "The configuration cannot be saved"},
      {"Put", [&] { window->OnPutClicked(); }, "Nothing was sent to the Kova Pro"}};
  for (const auto& [name, command, refused] : commands) {
    SCOPED_TRACE(name);
    open();
    prompter.savePath = file("filled.kova");
    prompter.askAnswer = false;  // nothing is filled, written or sent
    command();
    waitIdle();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text,
              refused +
                  ": 60 fields cannot be packed:\nChan 2 Close RIC range end is empty\nChan 2 TMax "
                  "is empty\nChan 2 Open RIC is empty\nChan 2 Open RIC range end is empty\nChan 2 "
                  "Toggle RIC is empty\nand 55 more.\n\nFill the empty fields with the values a "
                  "new configuration has (0) and go on?");
    EXPECT_EQ(cfg(), loaded);
    EXPECT_EQ(QApplication::focusWidget(), find("txtCloseRIC2(1)"));
    EXPECT_TRUE(prompter.saved.empty());
    EXPECT_EQ(requestCount(), 0u);
    prompter.askAnswer = true;
    command();
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
  open();
  showTab(kSerialDataTab);
  cfg().RepeatRIC3.clear();
  cfg().EnableAlphaRepeat = 1;
  window->Refresh();
  prompter.shown.clear();
  click("chkEnableNumericRepeat");
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text,
            "The alpha and numeric output ranges cannot be checked for an overlap: Numeric output "
            "RIC range start is empty.");
}

TEST_F(FileMenuTest, ABackupOpensFromItsFolderAndIsNeverSavedOver) {
  Document copy = window->document();
  copy.image.fill(0);
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
  // Save asks where to, starting where the user's own files are.
  window->OnFileSave();
  ASSERT_EQ(prompter.saved.size(), 1u);
  EXPECT_EQ(prompter.saved[0].folder, dir.path().toStdString());
}

TEST_F(FileMenuTest, AFailedWriteSaysWhereAndWhyKeepsTheOldFileAndTheChangesUnsaved) {
  QFile old(path("kept.kova"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("; old\r\n");
  old.close();
  const auto bytes = [&] {
    QFile kept(path("kept.kova"));
    return kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray();
  };
  const QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
  prompter.savePath = file("kept.kova");
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"Save As", [&] { window->OnFileSaveAs(); }}, {"Save", [&] { window->OnFileSave(); }}};
  for (const auto& [name, command] : commands) {
    const QByteArray before = bytes();
    cfg().ResetRIC = std::to_string(before.size());
    window->Refresh();
    prompter.shown.clear();
    {
      FullDisk full;
      command();
    }
    ASSERT_EQ(prompter.shown.size(), 1u) << name;
    EXPECT_EQ(prompter.shown[0].text, "Could not save \"" + file("kept.kova") +
                                          "\"; nothing was written.\nFile too large.");
    EXPECT_EQ(bytes(), before) << name;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), files) << name;
    EXPECT_TRUE(window->windowTitle().endsWith(" *")) << name;
    window->OnFileSaveAs();  // the disk has room again
    EXPECT_FALSE(window->isModified()) << name;
  }

  // A backup that cannot be written warns, and the operation goes ahead.
  for (const auto& [command, goesOn] :
       {std::pair{&MainWindow::OnPutClicked, "is sent to the Kova Pro all the same."},
        {&MainWindow::OnGetClicked, "read from the Kova Pro is shown all the same."}}) {
    prompter.shown.clear();
    {
      FullDisk full;
      (window.get()->*command)();
      waitIdle();
    }
    ASSERT_EQ(prompter.shown.size(), 1u) << prompter.shown.back().text;
    EXPECT_NE(prompter.shown[0].text.find("File too large.\nOnly the backup copy is missing"),
              std::string::npos);
    EXPECT_NE(prompter.shown[0].text.find(goesOn), std::string::npos) << prompter.shown[0].text;
  }
  EXPECT_EQ(requestCount(), 2u);
  EXPECT_TRUE(QDir(path("backups")).isEmpty());
}

TEST_F(FileMenuTest, AFileNameInAnyScriptIsShownAsItIs) {
  const std::string name = "Pr\u00fcfung 1 \u2713.kova";
  prompter.savePath = path(QString::fromStdString(name)).toStdString();
  window->OnFileSaveAs();
  EXPECT_TRUE(QFile::exists(path(QString::fromStdString(name))));
  cfg().ResetRIC = "5";
  window->Refresh();
  EXPECT_EQ(text("txtFileName"), QString::fromStdString(name));
  window->OnFileSave();
  EXPECT_FALSE(window->isModified());
  EXPECT_EQ(QDir(dir.path()).entryList({"*.kova"}), QStringList{QString::fromStdString(name)});
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
  const auto saved = [&] {
    return ReadProfile(path("shared.kova"), window->document()).document->cfg.ResetRIC;
  };
  for (const bool saveOver : {false, true}) {
    prompter.saveOverAnswer = saveOver;
    window->OnFileSave();
    ASSERT_EQ(prompter.asked.size(), saveOver ? 2u : 1u);
    EXPECT_EQ(prompter.asked.back().text,
              "\"" + file("shared.kova") +
                  "\" has been changed by another program since it was opened. Save over it?");
    EXPECT_EQ(saved(), saveOver ? "88" : "77");
    EXPECT_EQ(window->isModified(), !saveOver);
  }
}

TEST_F(FileMenuTest, ASettingsFileThatDoesNotParseIsNamedOnceAndRewrittenAtExit) {
  Start("\x01\x02garbage\xFF\n==\n[[");
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_NE(prompter.shown[0].text.find(file("settings.ini") + "\" has lines that are neither"),
            std::string::npos);
  Start();  // no warning at exit, none at the next start
  EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST_F(FileMenuTest, StoredPlacesThatCannotBeUsedAreNamedAndReplaced) {
  Start("[Settings]\nMainLeft=left\nMainTop=720\n");  // twips
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_NE(prompter.shown[0].text.find("MainLeft"), std::string::npos);
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
  EXPECT_EQ(window->pos(), QPoint(0, TwipsToPixels(720, dpi)));  // it fits: kept
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  // A screen unplugged since, or a place from a larger screen: the window
  // comes back on this one, moved, then shrunk; a maximised one maximised.
  for (const char* place : {"MainLeft=9000000\nMainTop=9000000", "MainLeft=3000\nMainTop=3000",
                            "MainLeft=0\nMainTop=0"}) {
    Start((QByteArray("[Settings]\nMainWidth=90000\nMainHeight=90000\n") + place).constData());
    EXPECT_TRUE(area.contains(window->geometry())) << place;
    EXPECT_EQ(window->isMaximized(), place[9] == '0') << place;
  }
  EXPECT_EQ(prompter.shown.size(), 1u);
}

}  // namespace
}  // namespace kova::test
