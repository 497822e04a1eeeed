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
    QTest::keyClick(find(field), Qt::Key_Backspace);
    EXPECT_EQ(text(field), "12") << field;
  }
  EXPECT_EQ(cfg().Zones[3].CloseTMax, "12");
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1 *");
}

TEST_F(InputTest, LeavingAFieldChecksItAndARefusedOneKeepsFocusAndText) {
  struct Case {
    int tab;
    const char* field;
    const char* next;
    const char* typed;
    const char* shown;
    std::string message;  // empty when accepted
  };
  // clang-format off
  const Case cases[] = {
      {kOptionsTab, "txtResetRIC", "txtRepeatFilter", "", "0", ""},
      {kSerialDataTab, "txtSign1RIC", "txtSign2RIC", "2097152", "2097152", RicInvalidText("2097152")},
      {kSerialDataTab, "txtSign1RIC", "txtSign2RIC", "2097151", "2097151", ""},
      {kFirstZoneTab, "txtCloseTMax(0)", "txtOpenRIC1(0)", "15", "20", ""},
      {kFirstZoneTab, "txtCloseTMax(0)", "txtOpenRIC1(0)", "327680", "327680", TimeInvalidText("327680")}};
  // clang-format on
  for (const auto& c : cases) {
    showTab(c.tab);
    prompter.shown.clear();
    retype(c.field, c.typed);
    if (!*c.typed) QTest::keyClick(find(c.field), Qt::Key_Backspace);
    leaveTo(
        find("chkEnableAlphaCode"));  // on no page but "Serial Data": hidden or not, it takes focus
    EXPECT_EQ(text(c.field), c.shown) << c.field << " " << c.typed;
    EXPECT_EQ(prompter.shown.size(), c.message.empty() ? 0u : 1u) << c.typed;
    if (!c.message.empty()) {
      EXPECT_EQ(prompter.shown.at(0).text, c.message);
    }
    EXPECT_EQ(QApplication::focusWidget() == find(c.field), !c.message.empty()) << c.typed;
  }
}

TEST_F(InputTest, ARefusedFieldStopsTheClickTabChangeOrShortcut) {
  showTab(kSerialDataTab);
  retype("txtSign2RIC", "2007664");
  click("chkSign1Enable");
  EXPECT_EQ(prompter.shown.size(), 1u);
  EXPECT_FALSE(find<QCheckBox>("chkSign1Enable")->isChecked());
  EXPECT_EQ(cfg().Sign1Enable, 0);
  EXPECT_EQ(QApplication::focusWidget(), find("txtSign2RIC"));
  QTest::mouseClick(window->tabs().tabButton(kOptionsTab), Qt::LeftButton);
  EXPECT_EQ(window->tabs().currentIndex(), kSerialDataTab);
  EXPECT_EQ(prompter.shown.size(), 2u);
  // What "&Get"'s shortcut does: take the focus at once, click a moment later.
  leaveTo(find("cmdGet"));
  EXPECT_EQ(prompter.shown.size(), 3u);
  find<QAbstractButton>("cmdGet")->click();
  waitIdle();
  EXPECT_EQ(requestCount(), 0u);
  EXPECT_EQ(QApplication::focusWidget(), find("txtSign2RIC"));
  retype("txtSign2RIC", "7");
  click("cmdGet");
  waitIdle();
  EXPECT_EQ(requestCount(), 1u);
}

TEST_F(InputTest, RepeaterFieldsListsAndEnablesCheckForOverlaps) {
  showTab(kSerialDataTab);
  cfg().RepeatRIC1 = "200";
  cfg().RepeatRIC2 = "100";
  cfg().RepeatRIC3 = "300";
  cfg().RepeatRIC4 = "400";
  window->Refresh();
  click("chkEnableAlphaRepeat");
  click("chkEnableNumericRepeat");
  EXPECT_TRUE(prompter.shown.empty());  // 100..200 and 300..400 share nothing
  retype("txtRepeatRIC3", "200");       // touching: a warning, which refuses nothing
  leaveTo(find("chkEnableNumericCode"));
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0], OverlapWarning());
  EXPECT_EQ(QApplication::focusWidget(), find("chkEnableNumericCode"));

  auto* list = find<QComboBox>("lstNumericRepeatFunc");
  for (int choice : {1, 4}) {  // "B" drives another output, "ALL" every one
    list->setFocus(Qt::TabFocusReason);
    list->setCurrentIndex(choice);
    emit list->activated(choice);
    leaveTo(find("chkEnableNumericCode"));
  }
  EXPECT_EQ(cfg().NumericRepeatFunc, 4);
  EXPECT_EQ(prompter.shown.size(), 2u);
  click("chkEnableAlphaRepeat");  // one range off: nothing to warn about
  click("chkEnableAlphaRepeat");
  EXPECT_EQ(prompter.shown.size(), 3u);
}

TEST_F(InputTest, VerificationSequenceKeysFollowItsFormat) {
  showTab(kVerificationTab);
  click("chkNumericVC");
  type("txtVC", "12a3A U-][x456789012345");
  EXPECT_EQ(text("txtVC"), "123A U-][45678901234");  // "a", "x" and the 21st key dropped
  click("chkAlphaVC");
  EXPECT_FALSE(find<QCheckBox>("chkNumericVC")->isChecked());
  EXPECT_EQ(text("txtVC"), "123AU-][456");  // spaces gone, cut to 11

  click("chkNumericVC");
  auto* field = find<QLineEdit>("txtVC");
  field->setFocus(Qt::TabFocusReason);
  field->insert("0123456789012345678901234");  // a paste passes no key filter...
  QTest::keyClick(field, Qt::Key_5);           // ...but the next key cuts it
  EXPECT_EQ(cfg().VC, "01234567890123456789");
  EXPECT_EQ(field->text(), "01234567890123456789");
}

}  // namespace
}  // namespace kova::test
