// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line, the window as it starts (captions, tabs, the
// controls under their documented and accessible names, the model shown exactly) and its
// services: the error dialog, the trace category, the dialog filter.
#include "child.h"
#include "diag/trace.h"
#include "image/field_table.h"
#include "window/dialog_prompter.h"
#include "window/dialog_reporter.h"
#include "window/form_binder.h"
#include "window/trace_category.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using StartupTest = WindowTest;

// The command line is checked before the window system is needed; without a
// display the program says so in one line instead of aborting.
TEST(CommandLine, UsageErrorsAndAMissingDisplayEndInOneClearMessage) {
  const std::tuple<QStringList, const char*, int, const char*> cases[] = {
      // DISPLAY, status
      {{"a.kova", "b.kova"}, "", 2, "kova-pro: give one file at a time"},
      {{"--bogus", "-platform", "offscreen"}, "", 2, "kova-pro: Unknown option 'bogus'."},
      {{"some.kova"}, "", 1, "kova-pro: no display to show the window on: neither DISPLAY"},
      {{"some.kova"}, ":97", 1, "kova-pro: no display to show the window on: "}};
  for (const auto& [args, display, status, firstLine] : cases) {
    const Ran ran = test::Run(
        KOVA_PRO, args,
        {.env = {{"QT_QPA_PLATFORM", ""}, {"WAYLAND_DISPLAY", ""}, {"DISPLAY", display}}});
    SCOPED_TRACE(ran.err.toStdString());
    EXPECT_EQ(ran.status, status);
    EXPECT_TRUE(ran.err.startsWith(firstLine));
    EXPECT_EQ(ran.err.contains("Usage:"), status == 2);
    EXPECT_EQ(ran.err.count('\n') == 1, status == 1);  // one line, or the usage
  }
}

// Ctrl+Tab and the Ctrl+Page keys go round the tabs, past PLL.
TEST_F(StartupTest, CaptionsTheFileMenuAndSeventeenTabsSixToARow) {
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  EXPECT_EQ(find<QGroupBox>("frmVersion")->title(), "v 3.1.0");
  EXPECT_EQ(find<QLabel>("Label21")->text(), "Kova Pro Configuration Utility");
  QStringList menu;  // name, caption or "-" for a separator, shortcut
  for (const QAction* a : find<QMenu>("MenuFile")->actions())
    menu << a->objectName() + '|' + (a->isSeparator() ? "-" : a->text()) + '|' +
                a->shortcut().toString();
  EXPECT_EQ(menu.join(' '),
            "MenuFileNew|&New|Ctrl+N MenuFileOpen|&Open|Ctrl+O MenuFileOpenBackup|Open &Backup...| "
            "MenuFileSave|&Save|Ctrl+S MenuFileSaveAs|Save &As|Ctrl+A Seperator|-| "
            "MenuFileExit|E&xit|Ctrl+X");
  TabGrid& tabs = window->tabs();
  QStringList captions;
  for (int i = 0; i < tabs.count(); ++i) {
    captions << tabs.tabText(i);
    const int above = tabs.tabButton(i > 0 ? i - 1 : i)->y();
    EXPECT_EQ(tabs.tabButton(i)->y() > above, i % 6 == 0 && i > 0) << i;  // a new row
  }
  EXPECT_EQ(captions.join(','),
            "General,Engineering,Comms,PLL,Serial Data,Chan 1,Chan 2,Chan 3,Chan 4,Chan 5,Chan 6,"
            "Chan 7,Chan 8,Chan 9,Chan 10,Options,Verification");
  EXPECT_FALSE(tabs.setCurrentIndex(kPllTab));  // out of reach of a click and of the keys
  QTest::mouseClick(tabs.tabButton(kPllTab), Qt::LeftButton);
  EXPECT_EQ(tabs.currentIndex(), kGeneralTab);
  using K = std::pair<Qt::Key, Qt::KeyboardModifiers>;
  const K next{Qt::Key_Tab, Qt::ControlModifier}, down{Qt::Key_PageDown, Qt::ControlModifier},
      up{Qt::Key_PageUp, Qt::ControlModifier},
      back{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier};
  const std::pair<K, int> steps[] = {{next, 1}, {next, 2}, {next, 4}, {back, 2}, {back, 1},
                                     {down, 2}, {up, 1},   {up, 0},   {up, 16},  {next, 0}};
  for (const auto& [keys, tab] : steps) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(),
                    keys.first, keys.second);
    EXPECT_EQ(tabs.currentIndex(), tab);
  }
}

// Every list holds its field's items, the rates' from 9600; dependent controls start
// hidden. Each zone page is one table with the zone's index in its names, but for
// zone 1's Close frame (Frame8(1) is the alpha output's). Every control then shows
// exactly what the model holds, for a file of each layout; a control set behind the
// model's back is noticed, and a refresh undoes it.
TEST_F(StartupTest, ControlsStartClearedUnderTheirNamesAndShowTheModelExactly) {
  for (const Field& field : Fields()) {
    for (int i = 0; field.kind == FieldKind::List && i < field.count(); ++i) {
      auto* list = find<QComboBox>(ControlName(field, field.count() > 1 ? i : -1));
      EXPECT_EQ(list->count(), static_cast<int>(field.items.size())) << field.control;
      EXPECT_EQ(list->currentIndex(), field.unit == "bit/s" ? 4 : 0) << field.control;
    }
  }
  const std::pair<const char*, int> lists[] = {
      {"lstBaudPC", 0}, {"lstBaudKova", 4}, {"lstComPort", 15}, {"lstToggleFunc(9)", 4}};
  QStringList items;
  for (const auto& [list, item] : lists)
    items << find<QComboBox>(list)->itemText(item);
  EXPECT_EQ(items.join(','), "115200,9600,COM16,ALL");
  EXPECT_EQ(text("txtFreq") + text("txtClkJog"), "459.050 0008");
  EXPECT_TRUE(find<QLineEdit>("txtFreq")->isReadOnly() && find<QLineEdit>("txtETI")->isReadOnly());
  for (const char* selected : {"opt1200", "optNormal", "optChanSpace(1)", "optRlyWireOrd",
                               "optSndrWireOrd", "chkEnableAlphaCode", "chkEnableNumericCode"})
    EXPECT_TRUE(find<QAbstractButton>(selected)->isChecked()) << selected;
  for (const char* hidden : {"cmdReset", "lblBusy", "frmSynthRx", "txtAlphaSubRIC", "txtRlyTime",
                             "txtSndrTime", "Frame5", "txtClkInc", "Label28(12)"})
    EXPECT_TRUE(find(hidden)->isHidden()) << hidden;
  for (int zone = 0; zone < 10; ++zone) {
    const auto close = zone == 1 ? "lstCloseFunclstCloseFunc(1)" : ControlName("Frame8", zone);
    const QWidget* page = window->tabs().widget(kFirstZoneTab + zone);
    EXPECT_EQ(page->findChild<QGroupBox*>(QString::fromStdString(close))->title(), "Close");
    EXPECT_EQ(find<QLabel>(ControlName("lblZone", zone))->text(),
              QString::fromStdString(ZoneName(zone)));
  }
  EXPECT_EQ(find<QGroupBox>("Frame8(1)")->title(), "Serial Output - Alpha Messages");
  EXPECT_EQ(find<QLabel>("Label54")->text() + find<QAbstractButton>("chkRlyChan(9)")->text(),
            "SChan 10");    // zone 9's own seconds label, the last relay channel
  std::set<QString> names;  // an input control's own, for assistive tools
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                       qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
    if (!input || qobject_cast<QComboBox*>(w->parentWidget())) continue;  // a list's own editor
    EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    EXPECT_TRUE(names.insert(w->accessibleName()).second) << w->accessibleName().toStdString();
  }
  QStringList named;
  for (const char* control :
       {"txtCloseRIC2(2)", "txtCloseTMax(9)", "lstToggleFunc(0)", "lstPortDevice", "txtVer(2)",
        "opt512", "chkRlyChan(0)", "txtRepeatRIC4"})
    named << find(control)->accessibleName();
  EXPECT_EQ(named.join('|'),
            "Chan 3 Close RIC range end|Chan 10 Close TMax|Chan 1 Toggle Beep|Device|Kova Firmware "
            "Version 3|POCSAG Baud Rate 512|Common Relay Chan 1|Serial Output - Numeric Messages "
            "RIC range end");
  EXPECT_EQ(find<QLabel>("Label25")->buddy(), find("lstComPort"));
  EXPECT_FALSE(find("lstPortDevice")->toolTip().isEmpty());

  EXPECT_FALSE(window->binder().hasChanged(cfg()));
  // A file as the command line names it, whether it is read, and the messages it gives.
  // Each way a file cannot be read is the files tests'; one shows it reaches the user.
  const std::tuple<QString, bool, std::size_t> files[] = {
      {Fixture("legacy_full.kova"), true, 1},  // the fields a legacy file leaves empty
      {path("missing.kova"), false, 1},
      {Fixture("legacy_numeric_repeater.kova"), true, 1},
      {Fixture("image_layout.kova"), true, 0}};
  for (const auto& [name, readable, messages] : files) {
    SCOPED_TRACE(name.toStdString());
    const Configuration before = cfg();
    prompter.shown.clear();
    window->OpenFile(name);
    EXPECT_EQ(prompter.shown.size(), messages);
    EXPECT_EQ(cfg() == before, !readable);
    EXPECT_FALSE(window->binder().hasChanged(cfg()) || window->isModified());
  }
  EXPECT_TRUE(prompter.opened.empty());
  EXPECT_EQ(window->session().LastFileName(), "image_layout.kova");
  for (const std::function<void()>& change : std::vector<std::function<void()>>{
           [&] { find<QLineEdit>("txtResetRIC")->setText("5"); },
           [&] { find<QComboBox>("lstToggleFunc(3)")->setCurrentIndex(2); },
           [&] { find<QCheckBox>("chkSndrChan(9)")->toggle(); },
           [&] { find<QAbstractButton>("opt2400")->setChecked(true); }}) {
    change();
    EXPECT_TRUE(window->binder().hasChanged(cfg()));
    window->Refresh();
    EXPECT_FALSE(window->binder().hasChanged(cfg()));
  }
}

TEST(DialogReporter, SaysWhatFailedWhereAndLetsTheUserChoose) {
  RecordingPrompter prompter;
  DialogReporter reporter(prompter);
  const Failure failure(FailureCode::Overflow, "Overflow: '99999999999' is out of range");
  reporter.Report(failure, "PackEEprom");
  EXPECT_EQ(prompter.shown,
            (std::vector{Message{.text = "Error 6 in frmMain.PackEEprom:\nOverflow: '99999999999' "
                                         "is out of range",
                                 .icon = MessageIcon::Critical}}));
  for (const bool answer : {true, false}) {
    prompter.askAnswer = answer;
    EXPECT_EQ(reporter.ReportAndAsk(failure, "cmdPut_Click"), answer);
    EXPECT_NE(prompter.asked.back().text.find("frmMain.cmdPut_Click"), std::string::npos);
  }
  EXPECT_EQ(prompter.shown.size(), 1u);  // asking is not also telling
}

QStringList traced;

TEST(TraceCategory, IsOffByDefaultAndCarriesTraceLinesWhenSwitchedOn) {
  EXPECT_FALSE(AttachTraceToLog() || TraceEnabled());
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& line) {
        if (QByteArray(context.category) == "kova.trace") traced << line;
      });
  for (const bool on : {true, false}) {
    QLoggingCategory::setFilterRules(on ? "kova.trace.debug=true" : "kova.trace.debug=false");
    EXPECT_EQ(AttachTraceToLog(), on);
    Log(on ? "++ Get EEprom" : "++ Put EEprom", 0);
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(traced, QStringList{" ++ Get EEprom"});
}

TEST(DialogFilter, BecomesTheToolkitsFilterWithAllFilesMatchingEveryName) {
  EXPECT_EQ(ToDialogFilter("Kova (*.kova)|*.kova|All Files (*.*)|*.*"),
            "Kova (*.kova);;All Files (*)");
  EXPECT_EQ(ToDialogFilter("Images|*.png;*.bmp"), "Images (*.png *.bmp)");
}

}  // namespace
}  // namespace kova::test
