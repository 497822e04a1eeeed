#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include "image/field_names.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, CaptionsAndTheFileMenu) {
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1");
  EXPECT_EQ(find<QGroupBox>("frmVersion")->title(), "v 3.1.0");
  EXPECT_EQ(find<QLabel>("Label21")->text(), "Kova Pro Configuration Utility");
  const QList<QAction*> actions = find<QMenu>("MenuFile")->actions();
  const char* expected[][3] = {{"MenuFileNew", "&New", "Ctrl+N"},
                               {"MenuFileOpen", "&Open", "Ctrl+O"},
                               {"MenuFileOpenBackup", "Open &Backup...", ""},
                               {"MenuFileSave", "&Save", "Ctrl+S"},
                               {"MenuFileSaveAs", "Save &As", "Ctrl+A"},
                               {"Seperator", "", ""},
                               {"MenuFileExit", "E&xit", "Ctrl+X"}};
  ASSERT_EQ(actions.size(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(actions[i]->objectName(), expected[i][0]);
    EXPECT_EQ(actions[i]->isSeparator(), i == 5);
    EXPECT_EQ(actions[i]->text(), expected[i][1]);
    EXPECT_EQ(actions[i]->shortcut(), QKeySequence(expected[i][2]));
  }
}

TEST_F(StartupTest, SeventeenTabsSixToARowGeneralInFrontPllUnreachable) {
  TabGrid& tabs = window->tabs();
  QStringList captions{"General", "Engineering", "Comms", "PLL", "Serial Data"};
  for (int n = 1; n <= 10; ++n)
    captions << QStringLiteral("Chan %1").arg(n);
  captions << "Options"
           << "Verification";
  ASSERT_EQ(tabs.count(), 17);
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(tabs.tabText(i), captions[i]);
    // A row's tabs share a top edge; every sixth tab starts a new row.
    const bool rowStart = i % kTabsPerRow == 0;
    if (i > 0) {
      EXPECT_EQ(tabs.tabButton(i)->y() > tabs.tabButton(i - 1)->y(), rowStart) << i;
    }
  }
  EXPECT_EQ(tabs.currentIndex(), kGeneralTab);
  EXPECT_NE(tabs.widget(14)->findChild<QWidget*>("txtCloseRIC1(9)"), nullptr);

  EXPECT_FALSE(tabs.setCurrentIndex(kPllTab));
  QTest::mouseClick(tabs.tabButton(kPllTab), Qt::LeftButton);
  EXPECT_EQ(tabs.currentIndex(), kGeneralTab);
}

TEST_F(StartupTest, ListsAreFilledAndSelected) {
  std::vector<std::tuple<std::string, int, int>> lists{{"lstComPort", 16, 0},
                                                       {"lstBaudPC", 8, 4},
                                                       {"lstBaudKova", 8, 4},
                                                       {"lstAlphaRepeatFunc", 5, 0},
                                                       {"lstNumericRepeatFunc", 5, 0}};
  for (auto name :
       {"lstSign1Func", "lstSign2Func", "lstAlphaSubFunc", "lstNumericSubFunc", "lstResetFunc"}) {
    lists.emplace_back(name, 4, 0);
  }
  for (int zone = 0; zone < 10; ++zone) {
    for (auto name : {"lstCloseFunc", "lstOpenFunc", "lstToggleFunc"}) {
      lists.emplace_back(ControlName(name, zone), 5, 0);
    }
  }
  for (const auto& [name, count, selected] : lists) {
    auto* list = find<QComboBox>(name);
    EXPECT_EQ(list->count(), count) << name;
    EXPECT_EQ(list->currentIndex(), selected) << name;
    // A function list keeps each item's function code with it.
    EXPECT_EQ(list->itemData(count - 1).toInt(),
              name.find("Func") != std::string::npos ? count - 1 : 0)
        << name;
  }
  EXPECT_EQ(find<QComboBox>("lstBaudPC")->itemText(0), "115200");
  EXPECT_EQ(find<QComboBox>("lstBaudKova")->currentText(), "9600");
  EXPECT_EQ(find<QComboBox>("lstComPort")->itemText(15), "COM16");
  EXPECT_EQ(find<QComboBox>("lstToggleFunc(9)")->itemText(4), "ALL");
}

TEST_F(StartupTest, ControlsStartClearedUnderTheirDocumentedNames) {
  EXPECT_EQ(text("txtFreq"), "459.050 000");
  EXPECT_TRUE(find<QLineEdit>("txtFreq")->isReadOnly());
  EXPECT_FALSE(find("txtETI")->isEnabled());
  EXPECT_EQ(text("txtClkJog"), "8");
  for (const char* selected : {"opt1200", "optNormal", "optChanSpace(1)", "optRlyWireOrd",
                               "optSndrWireOrd", "chkEnableAlphaCode", "chkEnableNumericCode"}) {
    EXPECT_TRUE(find<QAbstractButton>(selected)->isChecked()) << selected;
  }
  for (const char* hidden : {"cmdReset", "lblBusy", "frmSynthRx", "txtAlphaSubRIC", "txtRlyTime",
                             "txtSndrTime", "Frame5", "txtClkInc", "Label28(12)"}) {
    EXPECT_TRUE(find(hidden)->isHidden()) << hidden;
  }
  // Each zone page is the same table with the zone's index in its names,
  // except zone 1's Close frame, since Frame8(1) is the alpha output frame.
  for (int zone = 0; zone < 10; ++zone) {
    QWidget* page = window->tabs().widget(kFirstZoneTab + zone);
    const auto close = zone == 1 ? "lstCloseFunclstCloseFunc(1)" : ControlName("Frame8", zone);
    EXPECT_EQ(page->findChild<QGroupBox*>(QString::fromStdString(close))->title(), "Close");
    EXPECT_EQ(
        page->findChild<QLineEdit*>(QString::fromStdString(ControlName("txtToggleRIC2", zone)))
            ->text(),
        "0");
  }
  EXPECT_EQ(find<QGroupBox>("Frame8(1)")->title(), "Serial Output - Alpha Messages");
  EXPECT_EQ(find<QLabel>("Label54")->text(), "S");  // zone 9's own seconds label
  EXPECT_EQ(find<QAbstractButton>("chkRlyChan(9)")->text(), "Chan 10");
}

}  // namespace
}  // namespace kova::test
