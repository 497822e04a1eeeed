#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "image/field_names.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, CaptionsNameTheProgramAndItsVersion) {
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  EXPECT_EQ(find<QGroupBox>("frmVersion")->title(), "v 3.1.0");
  EXPECT_EQ(find<QLabel>("Label21")->text(), "Kova Pro Configuration Utility");
  EXPECT_TRUE(find<QLabel>("Label21")->font().bold());
  EXPECT_FALSE(window->isModified());
}

TEST_F(StartupTest, FileMenuHoldsFiveCommandsAndASeparatorInOrder) {
  const QList<QAction*> actions = find<QMenu>("MenuFile")->actions();
  struct Item {
    const char* name;
    const char* caption;
    const char* keys;
  };
  const Item expected[] = {{"MenuFileNew", "&New", "Ctrl+N"},
                           {"MenuFileOpen", "&Open", "Ctrl+O"},
                           {"MenuFileSave", "&Save", "Ctrl+S"},
                           {"MenuFileSaveAs", "Save &As", "Ctrl+A"},
                           {"Seperator", "", ""},
                           {"MenuFileExit", "E&xit", "Ctrl+X"}};
  ASSERT_EQ(actions.size(), 6);
  EXPECT_EQ(find<QMenu>("MenuFile")->title(), "&File");
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(actions[i]->objectName(), expected[i].name);
    EXPECT_EQ(actions[i]->isSeparator(), i == 4);
    EXPECT_EQ(actions[i]->text(), expected[i].caption);
    EXPECT_EQ(actions[i]->shortcut(), QKeySequence(expected[i].keys));
  }
}

TEST_F(StartupTest, SeventeenTabsInOrderSixToARowWithGeneralInFront) {
  TabGrid& tabs = window->tabs();
  QStringList captions{"General", "Engineering", "Comms", "PLL", "Serial Data"};
  for (int n = 1; n <= 10; ++n)
    captions << QStringLiteral("Chan %1").arg(n);
  captions << "Options"
           << "Verification";
  ASSERT_EQ(tabs.count(), 17);
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(tabs.tabText(i), captions[i]);
    // Tabs of one row share a top edge; a new row starts below the last one.
    const int rowStart = i / kTabsPerRow * kTabsPerRow;
    EXPECT_EQ(tabs.tabButton(i)->y(), tabs.tabButton(rowStart)->y()) << i;
    if (i >= kTabsPerRow && i == rowStart) {
      EXPECT_GT(tabs.tabButton(i)->y(), tabs.tabButton(i - 1)->y()) << i;
    }
  }
  EXPECT_EQ(tabs.currentIndex(), kGeneralTab);
  // Each zone tab holds its own zone's controls.
  EXPECT_NE(tabs.widget(5)->findChild<QWidget*>("txtCloseRIC1(0)"), nullptr);
  EXPECT_NE(tabs.widget(14)->findChild<QWidget*>("txtCloseRIC1(9)"), nullptr);
}

TEST_F(StartupTest, PllTabCannotBeBroughtToTheFront) {
  TabGrid& tabs = window->tabs();
  EXPECT_FALSE(tabs.setCurrentIndex(kPllTab));
  QTest::mouseClick(tabs.tabButton(kPllTab), Qt::LeftButton);
  EXPECT_EQ(tabs.currentIndex(), kGeneralTab);
  EXPECT_TRUE(tabs.setCurrentIndex(4));
  EXPECT_FALSE(tabs.setCurrentIndex(kPllTab));
  EXPECT_EQ(tabs.currentIndex(), 4);
  EXPECT_TRUE(tabs.tabButton(4)->isChecked());
}

TEST_F(StartupTest, ListsAreFilledAndSelected) {
  struct ListCase {
    std::string name;
    int count;
    QString first;
    int selected;
  };
  std::vector<ListCase> cases{{"lstComPort", 16, "COM1", 0},
                              {"lstBaudPC", 8, "115200", 4},
                              {"lstBaudKova", 8, "115200", 4},
                              {"lstAlphaRepeatFunc", 5, "A", 0},
                              {"lstNumericRepeatFunc", 5, "A", 0}};
  for (const char* name :
       {"lstSign1Func", "lstSign2Func", "lstAlphaSubFunc", "lstNumericSubFunc", "lstResetFunc"}) {
    cases.push_back({name, 4, "A", 0});
  }
  for (int zone = 0; zone < 10; ++zone) {
    for (const char* name : {"lstCloseFunc", "lstOpenFunc", "lstToggleFunc"}) {
      cases.push_back({ControlName(name, zone), 5, "A", 0});
    }
  }
  for (const auto& c : cases) {
    auto* list = find<QComboBox>(c.name);
    ASSERT_EQ(list->count(), c.count) << c.name;
    EXPECT_EQ(list->itemText(0), c.first) << c.name;
    EXPECT_EQ(list->currentIndex(), c.selected) << c.name;
  }
  EXPECT_EQ(find<QComboBox>("lstBaudPC")->currentText(), "9600");
  EXPECT_EQ(find<QComboBox>("lstComPort")->itemText(15), "COM16");
  auto* zoneList = find<QComboBox>("lstToggleFunc(7)");
  for (int code = 0; code < 5; ++code)
    EXPECT_EQ(zoneList->itemData(code).toInt(), code);
  EXPECT_EQ(zoneList->itemText(4), "ALL");
}

TEST_F(StartupTest, ControlsStartClearedWithTheirDocumentedState) {
  EXPECT_EQ(text("txtFreq"), "459.050 000");
  EXPECT_TRUE(find<QLineEdit>("txtFreq")->isReadOnly());
  EXPECT_FALSE(find<QLineEdit>("txtETI")->isEnabled());
  EXPECT_EQ(text("txtCloseRIC1(4)"), "0");
  EXPECT_EQ(text("txtClkJog"), "8");
  EXPECT_TRUE(find<QRadioButton>("opt1200")->isChecked());
  EXPECT_TRUE(find<QRadioButton>("optNormal")->isChecked());
  EXPECT_TRUE(find<QRadioButton>("optChanSpace(1)")->isChecked());
  EXPECT_TRUE(find<QRadioButton>("optRlyWireOrd")->isChecked());
  EXPECT_TRUE(find<QRadioButton>("optSndrWireOrd")->isChecked());
  EXPECT_TRUE(find<QAbstractButton>("chkEnableAlphaCode")->isChecked());
  for (const char* hidden : {"cmdReset", "lblBusy", "frmSynthRx", "txtAlphaSubRIC", "txtRlyTime",
                             "txtSndrTime", "Frame5", "txtClkInc", "Label28(12)"}) {
    EXPECT_TRUE(find(hidden)->isHidden()) << hidden;
  }
  EXPECT_FALSE(find("cmdGet")->isHidden());
  EXPECT_EQ(find<QPushButton>("cmdPut")->text(), "&Put");
  EXPECT_EQ(find<QPushButton>("cmdGet")->toolTip(), "Get configuration data from Kova Pro");
}

TEST_F(StartupTest, EveryZoneTabCarriesTheZoneNamesOfItsIndex) {
  const char* arrays[] = {"chkEnableClose", "Label26",       "txtCloseRIC1", "Label27",
                          "txtCloseRIC2",   "Label16",       "lstCloseFunc", "chkTxMonitor",
                          "Label28",        "txtCloseTMax",  "Frame9",       "chkEnableOpen",
                          "Label37",        "txtOpenRIC1",   "Label36",      "txtOpenRIC2",
                          "Label40",        "lstOpenFunc",   "Frame10",      "chkEnableToggle",
                          "Label45",        "txtToggleRIC1", "Label44",      "txtToggleRIC2",
                          "Label46",        "lstToggleFunc", "chkSndrChan",  "chkRlyChan"};
  const char* seconds[] = {"Label41", "Label42", "Label47", "Label48", "Label49",
                           "Label50", "Label51", "Label52", "Label53", "Label54"};
  for (int zone = 0; zone < 10; ++zone) {
    for (const char* name : arrays) {
      EXPECT_EQ(
          window->findChildren<QWidget*>(QString::fromStdString(ControlName(name, zone))).size(), 1)
          << ControlName(name, zone);
    }
    QWidget* page = window->tabs().widget(kFirstZoneTab + zone);
    EXPECT_NE(page->findChild<QLabel*>(seconds[zone]), nullptr) << zone;
    const std::string closeFrame =
        zone == 1 ? "lstCloseFunclstCloseFunc(1)" : ControlName("Frame8", zone);
    EXPECT_EQ(page->findChild<QGroupBox*>(QString::fromStdString(closeFrame))->title(), "Close");
  }
  // Frame8(1) is the alpha output frame, not zone 1's Close frame.
  EXPECT_EQ(find<QGroupBox>("Frame8(1)")->title(), "Serial Output - Alpha Messages");
  EXPECT_EQ(find<QAbstractButton>("chkRlyChan(9)")->text(), "Chan 10");
}

}  // namespace
}  // namespace kova::test
