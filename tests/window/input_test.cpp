#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

#include "window/field_checks.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr int kSerialDataTab = 4;
constexpr int kOptionsTab = 15;
constexpr int kVerificationTab = 16;

using InputTest = WindowTest;

TEST_F(InputTest, DigitFieldsDropEverythingButDigitsAndBackspace) {
  showTab(kFirstZoneTab + 3);
  for (const char* field : {"txtCloseRIC1(3)", "txtCloseTMax(3)", "txtToggleRIC2(3)"}) {
    retype(field, "1a-.2 +3");
    EXPECT_EQ(text(field), "123") << field;
    QTest::keyClick(find(field), Qt::Key_Backspace);
    EXPECT_EQ(text(field), "12") << field;
  }
  EXPECT_EQ(cfg().Zones[3].CloseRIC1, "12");
  EXPECT_EQ(cfg().Zones[3].CloseTMax, "12");
  EXPECT_TRUE(window->isModified());
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1 *");
}

TEST_F(InputTest, RicFieldRefusesAnInvalidRicAndKeepsFocusAndText) {
  showTab(kSerialDataTab);
  auto* field = find<QLineEdit>("txtSign1RIC");
  retype("txtSign1RIC", "2097152");
  leaveTo(find("txtSign2RIC"));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0].text, RicInvalidText("2097152"));
  EXPECT_EQ(prompter.shown[0].title, "Kova Pro Configuration");
  EXPECT_EQ(prompter.shown[0].icon, MessageIcon::None);
  EXPECT_EQ(QApplication::focusWidget(), field);
  EXPECT_EQ(field->text(), "2097152");

  // Corrected, it lets the focus go.
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClick(field, Qt::Key_1);
  leaveTo(find("txtSign2RIC"));
  EXPECT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(QApplication::focusWidget(), find("txtSign2RIC"));
  EXPECT_EQ(cfg().Sign1RIC, "2097151");
}

TEST_F(InputTest, LeavingAnEmptiedRicFieldWritesZero) {
  showTab(kOptionsTab);
  auto* field = find<QLineEdit>("txtResetRIC");
  field->setFocus(Qt::TabFocusReason);
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(cfg().ResetRIC, "");
  leaveTo(find("txtRepeatFilter"));
  EXPECT_TRUE(prompter.shown.empty());
  EXPECT_EQ(field->text(), "0");
  EXPECT_EQ(cfg().ResetRIC, "0");
}

TEST_F(InputTest, TimeFieldRoundsToTensAndRefusesBeyondTheMaximum) {
  showTab(kFirstZoneTab);
  struct TimeCase {
    const char* typed;
    const char* shown;
    bool refused;
  };
  const TimeCase cases[] = {{"15", "20", false},
                            {"4", "0", false},
                            {"327674", "327670", false},
                            {"327680", "327680", true}};
  for (const auto& c : cases) {
    prompter.shown.clear();
    retype("txtCloseTMax(0)", c.typed);
    leaveTo(find("txtOpenRIC1(0)"));
    EXPECT_EQ(text("txtCloseTMax(0)"), c.shown) << c.typed;
    EXPECT_EQ(prompter.shown.size(), c.refused ? 1u : 0u) << c.typed;
    EXPECT_EQ(QApplication::focusWidget() == find("txtCloseTMax(0)"), c.refused) << c.typed;
  }
  EXPECT_EQ(prompter.shown.at(0).text, TimeInvalidText("327680"));
}

TEST_F(InputTest, ARefusedFieldStopsTheClickThatLeftIt) {
  showTab(kSerialDataTab);
  retype("txtSign2RIC", "2007664");
  click("chkSign1Enable");
  EXPECT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(cfg().Sign1Enable, 0);
  EXPECT_FALSE(find<QCheckBox>("chkSign1Enable")->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), find("txtSign2RIC"));

  // Nor can another tab be brought forward until it is mended.
  QTest::mouseClick(window->tabs().tabButton(kOptionsTab), Qt::LeftButton);
  EXPECT_EQ(window->tabs().currentIndex(), kSerialDataTab);
  EXPECT_EQ(prompter.shown.size(), 2u);
}

TEST_F(InputTest, RepeaterRangesWarnOfAnOverlapWithAnInformationIcon) {
  showTab(kSerialDataTab);
  cfg().RepeatRIC1 = "200";
  cfg().RepeatRIC2 = "100";
  cfg().RepeatRIC3 = "300";
  cfg().RepeatRIC4 = "400";
  window->Refresh();
  click("chkEnableAlphaRepeat");
  click("chkEnableNumericRepeat");
  EXPECT_TRUE(prompter.shown.empty());  // 100..200 and 300..400 share nothing

  // Touching ranges overlap; a warning refuses nothing.
  retype("txtRepeatRIC3", "200");
  leaveTo(find("chkEnableNumericCode"));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0], OverlapWarning());
  EXPECT_EQ(prompter.shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(QApplication::focusWidget(), find("chkEnableNumericCode"));

  // Leaving a function list checks again: "B" drives another output, "ALL" every one.
  auto* list = find<QComboBox>("lstNumericRepeatFunc");
  for (int choice : {1, 4}) {
    list->setFocus(Qt::TabFocusReason);
    list->setCurrentIndex(choice);
    emit list->activated(choice);
    leaveTo(find("chkEnableNumericCode"));
    EXPECT_EQ(cfg().NumericRepeatFunc, choice);
  }
  EXPECT_EQ(prompter.shown.size(), 2u);

  // Unticking one range leaves nothing to warn about; ticking it again warns.
  click("chkEnableAlphaRepeat");
  EXPECT_EQ(prompter.shown.size(), 2u);
  click("chkEnableAlphaRepeat");
  EXPECT_EQ(prompter.shown.size(), 3u);
}

TEST_F(InputTest, VerificationSequenceKeysFollowItsFormat) {
  showTab(kVerificationTab);
  click("chkNumericVC");
  type("txtVC", "12a3A U-][x456789012345");
  EXPECT_EQ(text("txtVC"), "123A U-][45678901234");  // "a" and "x" dropped, 21st key dropped
  EXPECT_EQ(cfg().VC.size(), 20u);

  click("chkAlphaVC");
  EXPECT_FALSE(find<QCheckBox>("chkNumericVC")->isChecked());
  EXPECT_EQ(text("txtVC"), "123AU-][456");  // spaces gone, cut to 11
  retype("txtVC", "x");                     // a full field takes no key, even over a selection
  EXPECT_EQ(text("txtVC"), "123AU-][456");
  QTest::keyClick(find("txtVC"), Qt::Key_Backspace);
  retype("txtVC", "a b c");
  EXPECT_EQ(text("txtVC"), "a b c");  // a space can be typed in alpha mode
}

TEST_F(InputTest, PastedOverlongSequenceIsCutAtTheNextKey) {
  showTab(kVerificationTab);
  click("chkNumericVC");
  auto* field = find<QLineEdit>("txtVC");
  field->setFocus(Qt::TabFocusReason);
  field->insert("0123456789012345678901234");  // a paste: no key filter on the way
  EXPECT_EQ(cfg().VC.size(), 25u);
  QTest::keyClick(field, Qt::Key_5);
  EXPECT_EQ(field->text(), "01234567890123456789");
  EXPECT_EQ(cfg().VC, "01234567890123456789");
}

}  // namespace
}  // namespace kova::test
