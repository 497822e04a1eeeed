// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line, and the window as it starts: captions, tabs,
// every control of the field table under its name, and the model shown exactly.
#include <QRadioButton>
#include <functional>

#include "child.h"
#include "image/field_table.h"
#include "window/form_binder.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using StartupTest = WindowTest;

// The command line is checked before the window system is needed; without a
// display the program says so in one line instead of aborting.
TEST(CommandLine, UsageErrorsAndAMissingDisplayEndInOneClearMessage) {
  struct Case {
    QStringList args;
    const char* display;  // "": unset
    int status;
    const char* firstLine;  // how standard error starts
  };
  const Case cases[] = {
      {{"a.kova", "b.kova"}, "", 2, "kova-pro: give one file at a time"},
      {{"--bogus", "-platform", "offscreen"}, "", 2, "kova-pro: Unknown option 'bogus'."},
      {{"some.kova"}, "", 1, "kova-pro: no display to show the window on: neither DISPLAY"},
      {{"some.kova"}, ":97", 1, "kova-pro: no display to show the window on: "},
  };
  for (const Case& c : cases) {
    const Ran ran = test::Run(
        KOVA_PRO, c.args,
        {.input = {},
         .env = {{"QT_QPA_PLATFORM", ""}, {"WAYLAND_DISPLAY", ""}, {"DISPLAY", c.display}}});
    SCOPED_TRACE(ran.err.toStdString());
    EXPECT_EQ(ran.status, c.status);
    EXPECT_TRUE(ran.err.startsWith(c.firstLine));
    EXPECT_EQ(ran.err.contains("Usage:"), c.status == 2);
    EXPECT_EQ(ran.err.count('\n') == 1, c.status == 1);  // one line, or the usage
  }
}

TEST_F(StartupTest, CaptionsTabsAndTheFileMenu) {
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  EXPECT_EQ(find<QGroupBox>("frmVersion")->title(), "v 3.1.0");
  EXPECT_EQ(find<QLabel>("Label21")->text(), "Kova Pro Configuration Utility");
  std::vector<std::string> menu;  // name, caption or "-" for a separator, shortcut
  for (const QAction* a : find<QMenu>("MenuFile")->actions()) {
    const QString caption = a->isSeparator() ? "-" : a->text();
    menu.push_back(
        (a->objectName() + '|' + caption + '|' + a->shortcut().toString()).toStdString());
  }
  EXPECT_EQ(menu,
            (std::vector<std::string>{"MenuFileNew|&New|Ctrl+N", "MenuFileOpen|&Open|Ctrl+O",
                                      "MenuFileOpenBackup|Open &Backup...|",
                                      "MenuFileSave|&Save|Ctrl+S", "MenuFileSaveAs|Save &As|Ctrl+A",
                                      "Seperator|-|", "MenuFileExit|E&xit|Ctrl+X"}));
  // Seventeen tabs, six to a row, General in front, PLL out of reach.
  TabGrid& tabs = window->tabs();
  QStringList captions{"General", "Engineering", "Comms", "PLL", "Serial Data"};
  for (int n = 1; n <= 10; ++n)
    captions << QStringLiteral("Chan %1").arg(n);
  captions << "Options"
           << "Verification";
  ASSERT_EQ(tabs.count(), 17);
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(tabs.tabText(i), captions[i]);
    const int above = i > 0 ? tabs.tabButton(i - 1)->y() : tabs.tabButton(i)->y();
    EXPECT_EQ(tabs.tabButton(i)->y() > above, i % 6 == 0 && i > 0) << i;
  }
  EXPECT_EQ(tabs.currentIndex(), 0);
  EXPECT_FALSE(tabs.setCurrentIndex(kPllTab));
  QTest::mouseClick(tabs.tabButton(kPllTab), Qt::LeftButton);
  EXPECT_EQ(tabs.currentIndex(), 0);
}

// Every list the field table names holds its items and starts at its first
// (the rates at 9600); the controls start cleared, the dependent ones hidden.
TEST_F(StartupTest, ControlsStartClearedUnderTheirDocumentedNames) {
  for (const Field& field : Fields()) {
    for (int i = 0; field.kind == FieldKind::List && i < field.count(); ++i) {
      auto* list = find<QComboBox>(ControlName(field, field.count() > 1 ? i : -1));
      EXPECT_EQ(list->count(), static_cast<int>(field.items.size())) << field.control;
      EXPECT_EQ(list->currentIndex(), field.unit == "bit/s" ? 4 : 0) << field.control;
    }
  }
  for (const auto& [list, item, shown] : {std::tuple{"lstBaudPC", 0, "115200"},
                                          {"lstBaudKova", 4, "9600"},
                                          {"lstComPort", 15, "COM16"},
                                          {"lstToggleFunc(9)", 4, "ALL"}})
    EXPECT_EQ(find<QComboBox>(list)->itemText(item), shown);
  EXPECT_EQ(text("txtFreq"), "459.050 000");
  EXPECT_TRUE(find<QLineEdit>("txtFreq")->isReadOnly());
  EXPECT_TRUE(find<QLineEdit>("txtETI")->isReadOnly());  // readable, not greyed
  EXPECT_EQ(text("txtClkJog"), "8");
  for (const char* selected : {"opt1200", "optNormal", "optChanSpace(1)", "optRlyWireOrd",
                               "optSndrWireOrd", "chkEnableAlphaCode", "chkEnableNumericCode"})
    EXPECT_TRUE(find<QAbstractButton>(selected)->isChecked()) << selected;
  for (const char* hidden : {"cmdReset", "lblBusy", "frmSynthRx", "txtAlphaSubRIC", "txtRlyTime",
                             "txtSndrTime", "Frame5", "txtClkInc", "Label28(12)"})
    EXPECT_TRUE(find(hidden)->isHidden()) << hidden;
  // Each zone page (tabs 5 to 14) is the same table with the zone's index in
  // its names, except zone 1's Close frame: Frame8(1) is the alpha output frame.
  for (int zone = 0; zone < 10; ++zone) {
    const QWidget* page = window->tabs().widget(kFirstZoneTab + zone);
    const auto close = zone == 1 ? "lstCloseFunclstCloseFunc(1)" : ControlName("Frame8", zone);
    EXPECT_EQ(page->findChild<QGroupBox*>(QString::fromStdString(close))->title(), "Close");
    EXPECT_TRUE(
        page->findChild<QLineEdit*>(QString::fromStdString(ControlName("txtToggleRIC2", zone))));
  }
  EXPECT_EQ(find<QGroupBox>("Frame8(1)")->title(), "Serial Output - Alpha Messages");
  EXPECT_EQ(find<QLabel>("Label54")->text(), "S");  // zone 9's own seconds label
  EXPECT_EQ(find<QAbstractButton>("chkRlyChan(9)")->text(), "Chan 10");
}

// Every control shows exactly what the model holds, for a file of each layout;
// a control set behind the model's back is noticed, and a refresh undoes it.
TEST_F(StartupTest, TheControlsShowTheModelExactly) {
  EXPECT_FALSE(window->binder().hasChanged(cfg()));
  for (const char* name :
       {"image_layout.kova", "legacy_full.kova", "legacy_numeric_repeater.kova"}) {
    window->OpenFile(QString(KOVA_FIXTURES "/") + name);
    EXPECT_FALSE(window->binder().hasChanged(cfg())) << name;
  }
  const std::function<void()> behindTheBack[] = {
      [&] { find<QLineEdit>("txtResetRIC")->setText("5"); },
      [&] { find<QComboBox>("lstToggleFunc(3)")->setCurrentIndex(2); },
      [&] { find<QCheckBox>("chkSndrChan(9)")->toggle(); },
      [&] { find<QAbstractButton>("opt2400")->setChecked(true); }};
  for (const auto& change : behindTheBack) {
    change();
    EXPECT_TRUE(window->binder().hasChanged(cfg()));
    window->Refresh();
    EXPECT_FALSE(window->binder().hasChanged(cfg()));
  }
}

}  // namespace
}  // namespace kova::test
