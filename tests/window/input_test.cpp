// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the field checks (their rules are the model's): what a
// key does to a field, and a refused field keeping the user until it is put right.
#include "image/field_checks.h"
#include "image/field_table.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using InputTest = WindowTest;

TEST_F(InputTest, ARefusedFieldKeepsTheFocusAndTheTextAndStopsWhatCameNext) {
  // Typed over the text key by key ("\b" is backspace), then left: what shows, and the refusal.
  const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
      {"txtResetRIC", "\b", "0", ""},
      {"txtSign1RIC", "2a0/9:7-1.5 2+", "2097152", RicInvalidText("2097152")},
      {"txtSign1RIC", "20971512\b", "2097151", ""},  // put right, it may be left
      {"txtCloseTMax(0)", "1x5", "20", ""},
      {"txtCloseTMax(0)", "327680", "327680", TimeInvalidText("327680")}};
  for (const auto& [field, typed, shown, refusal] : cases) {
    window->GoToControl(field);
    prompter.shown.clear();
    type(field, typed);
    leaveTo(find("chkEnableAlphaCode"));  // hidden or not, it takes the focus
    EXPECT_EQ(text(field), shown) << typed;
    EXPECT_EQ(shownTexts(), refusal.empty() ? std::vector<std::string>{} : std::vector{refusal});
    EXPECT_EQ(QApplication::focusWidget() == find(field), !refusal.empty()) << typed;
  }
  EXPECT_EQ(cfg().Sign1RIC, "2097151");
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1 *");

  // The refused time stops a click, a tab change, a tab key and a shortcut alike.
  click("chkTxMonitor(0)");
  EXPECT_FALSE(cfg().Zones[0].TxMonitor || find<QCheckBox>("chkTxMonitor(0)")->isChecked());
  bool optionsInFront = false;
  prompter.whileShown = [&] {
    optionsInFront = window->tabs().tabButton(kOptionsTab)->isChecked();
  };
  QTest::mouseClick(window->tabs().tabButton(kOptionsTab), Qt::LeftButton);
  prompter.whileShown = nullptr;
  EXPECT_FALSE(optionsInFront);
  EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab);
  QTest::keyClick(find("txtCloseTMax(0)"), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab);
  leaveTo(find("cmdGet"));  // what "&Get"'s shortcut does: take the focus, click a moment later
  find<QAbstractButton>("cmdGet")->click();
  waitIdle();
  EXPECT_EQ(requestCount(), 0u);
  EXPECT_EQ(prompter.shown.size(), 5u);  // the refusal again, each time
  EXPECT_EQ(QApplication::focusWidget(), find("txtCloseTMax(0)"));
  type("txtCloseTMax(0)", "60");
  QTest::keyClick(find("txtCloseTMax(0)"), Qt::Key_PageDown, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab + 1);
  EXPECT_EQ(QApplication::focusWidget(), find("chkEnableClose(1)"));  // the new page's first
  prompter.saveAnswer = SaveChoice::Discard;  // the unit's values may replace the edits
  click("cmdGet");
  waitIdle();
  EXPECT_EQ(requestCount(), 1u);
}

// A range left, a list left and a box ticked each look for an overlap; a warning refuses
// nothing, and a range that is no number is named.
TEST_F(InputTest, RepeaterFieldsListsAndEnablesCheckForOverlaps) {
  window->GoToControl("txtRepeatRIC3");
  std::tie(cfg().RepeatRIC1, cfg().RepeatRIC2, cfg().RepeatRIC3, cfg().RepeatRIC4) =
      std::tuple("200", "100", "300", "400");
  window->Refresh();
  click("chkEnableAlphaRepeat");
  click("chkEnableNumericRepeat");
  type("txtRepeatRIC3", "200");
  leaveTo(find("chkEnableNumericCode"));
  EXPECT_EQ(prompter.shown, std::vector{OverlapWarning()});
  EXPECT_EQ(QApplication::focusWidget(), find("chkEnableNumericCode"));
  auto* list = find<QComboBox>("lstNumericRepeatFunc");
  list->setFocus(Qt::TabFocusReason);
  list->setCurrentIndex(4);  // "ALL" drives every output, the alpha range's too
  emit list->activated(4);
  leaveTo(find("chkEnableNumericCode"));
  EXPECT_EQ(cfg().NumericRepeatFunc, 4);
  click("chkEnableAlphaRepeat");  // one range off: nothing to warn about
  click("chkEnableAlphaRepeat");
  EXPECT_EQ(prompter.shown.size(), 3u);
  cfg().RepeatRIC3.clear();  // as a file may leave it: named, not "Error 13"
  window->Refresh();
  click("chkEnableAlphaRepeat");
  click("chkEnableAlphaRepeat");
  EXPECT_EQ(prompter.shown.back().text,
            "The alpha and numeric output ranges cannot be checked for an overlap: Numeric "
            "output RIC range start is empty.");
  EXPECT_EQ(prompter.shown.size(), 4u);
}

// Keys that insert a character go through the field's filter; keys that edit,
// move or act never do, and neither does a paste. The sequence is numeric here.
TEST_F(InputTest, OnlyTypedCharactersAreFiltered) {
  using K = std::function<void(QWidget*)>;
  const auto press = [](Qt::Key code, Qt::KeyboardModifiers modifiers = {}) {
    return K([=](QWidget* w) { QTest::keyClick(w, code, modifiers); });
  };
  const auto key = [](char c) { return K([=](QWidget* w) { QTest::keyClick(w, c); }); };  // typed
  const K del = press(Qt::Key_Delete), back = press(Qt::Key_Backspace), home = press(Qt::Key_Home),
          left = press(Qt::Key_Left), paste = press(Qt::Key_V, Qt::ControlModifier);
  const std::string pasted(25, '8');
  // The field, its text, the keys typed at its end, what it then shows.
  const std::tuple<const char*, std::string, std::vector<K>, std::string> cases[] = {
      {"txtSign1RIC", "123", {home, del}, "23"},
      {"txtSign1RIC", "123", {del, press(Qt::Key_Delete, Qt::ShiftModifier)}, "123"},
      {"txtSign1RIC", "123", {left, back}, "13"},
      {"txtSign1RIC", "123", {press(Qt::Key_Insert), press(Qt::Key_F2), key('4')}, "1234"},
      {"txtSign1RIC", "123", {paste}, "1239x"},
      {"txtCloseTMax(0)", "123", {home, del, press(Qt::Key_End), key('.'), back}, "2"},
      {"txtVC", "123", {home, del, key('a'), key('A'), key(' '), key(']')}, "A ]23"},
      {"txtVC", "123", {paste, key('0')}, "1239x0"},         // "x" pasted, "0" typed
      {"txtVC", pasted, {key('1')}, pasted.substr(0, 20)}};  // a pasted one is cut
  QApplication::clipboard()->setText("9x");
  cfg().NumericVC = 1;
  for (const auto& [field, was, keys, shown] : cases) {
    SCOPED_TRACE(field + (" " + was));
    window->GoToControl(field);
    const FieldAt at = FindByControl(field);
    SetText(cfg(), *at.field, at.index, was);
    window->Refresh();
    type(field, "");
    QTest::keyClick(find(field), Qt::Key_End);
    for (const K& stroke : keys)
      stroke(find(field));
    EXPECT_EQ(text(field).toStdString() + "|" + GetText(cfg(), *at.field, at.index),
              shown + "|" + shown);
  }
}

}  // namespace
}  // namespace kova::test
