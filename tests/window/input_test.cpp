// SPDX-License-Identifier: GPL-3.0-or-later
#include <QClipboard>
#include <QRadioButton>
#include <set>
#include <tuple>

#include "diag/failure.h"
#include "image/field_checks.h"
#include "image/field_table.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

TEST(Ric, RefusesOutsideTheValidSetWithTheFixedSentence) {
  // Beyond 32 bits, or not a number at all (pasted): refused too, not a failure.
  const std::pair<const char*, bool> cases[] = {
      {"0", false},       {"2097151", false}, {"2007663", false},   {"2007672", false},
      {"2045055", false}, {"2045064", false}, {" 42 ", false},      {"2097152", true},
      {"2007664", true},  {"2007671", true},  {"2045056", true},    {"2045063", true},
      {"-1", true},       {"12abc", true},    {"99999999999", true}};
  for (const auto& [typed, refused] : cases) {
    const FieldVerdict verdict = RicInvalid(typed);
    EXPECT_EQ(verdict.text, typed);
    EXPECT_EQ(verdict.refusal,
              refused ? std::optional(Message{.text = RicInvalidText(typed)}) : std::nullopt)
        << typed;
  }
  EXPECT_EQ(RicInvalid("").text, "0");
  EXPECT_EQ(RicInvalidText("2097152"),
            "2097152 may not be a valid RIC. Valid RICs are in the range 0-2097151, and exclude "
            "the ranges 2007664-2007671 and 2045056-2045063.");
}

TEST(CloseTMax, RoundsToTensHalvesUpAndRefusesOutsideTheRange) {
  struct LeaveCase {
    const char* typed;
    const char* kept;
    bool refused;
  };
  // clang-format off
  const LeaveCase cases[] = {
      {"", "0", false},              {"4", "0", false},              {"5", "10", false},
      {"14", "10", false},           {"15", "20", false},            {"327670", "327670", false},
      {"327674", "327670", false},   {"327675", "327680", true},     {"327680", "327680", true},
      {"-4", "0", false},            {"-15", "-10", true},           {"abc", "abc", true},
      {"2147483647", "2147483650", true}};  // no overflow while rounding
  // clang-format on
  for (const auto& c : cases) {
    const FieldVerdict verdict = CheckCloseTMax(c.typed);
    EXPECT_EQ(verdict.text, c.kept) << c.typed;
    EXPECT_EQ(verdict.refusal,
              c.refused ? std::optional(Message{.text = TimeInvalidText(c.kept)}) : std::nullopt)
        << c.typed;
  }
  EXPECT_EQ(TimeInvalidText("327680"),
            "327680 is not a valid time in this context. Valid times are in the range 0-327670.");
}

TEST(RepeaterOverlap, WarnsOnlyForEnabledRangesThatMayDriveTheSameFunction) {
  struct Case {
    const char *alpha1, *alpha2, *numeric1, *numeric2;
    int alphaFunc, numericFunc;
    Check alphaOn, numericOn;
    bool warned;
  };
  const Case cases[] = {{"100", "200", "200", "300", 0, 0, 1, 1, true},   // touching ranges overlap
                        {"100", "200", "200", "300", 0, 1, 1, 1, false},  // different functions
                        {"100", "200", "200", "300", 0, 4, 1, 1, true},  // ALL meets every function
                        {"100", "200", "200", "300", 4, 2, 1, 1, true},
                        {"200", "100", "300", "200", 0, 0, 1, 1, true},   // bounds in either order
                        {"100", "199", "200", "300", 0, 0, 1, 1, false},  // disjoint
                        {"300", "400", "100", "299", 0, 0, 1, 1, false},
                        {"100", "200", "150", "160", 0, 0, 1, 1, true},   // one inside the other
                        {"100", "200", "200", "300", 0, 0, 0, 1, false},  // a range disabled
                        {"100", "200", "200", "300", 0, 0, 1, 0, false}};
  for (const auto& c : cases) {
    Configuration cfg;
    std::tie(cfg.RepeatRIC1, cfg.RepeatRIC2, cfg.RepeatRIC3, cfg.RepeatRIC4) =
        std::tie(c.alpha1, c.alpha2, c.numeric1, c.numeric2);
    std::tie(cfg.AlphaRepeatFunc, cfg.NumericRepeatFunc) = std::tie(c.alphaFunc, c.numericFunc);
    std::tie(cfg.EnableAlphaRepeat, cfg.EnableNumericRepeat) = std::tie(c.alphaOn, c.numericOn);
    const auto warning = RepeaterOverlap(cfg);
    EXPECT_EQ(warning.has_value(), c.warned)
        << c.alpha1 << ".." << c.alpha2 << " " << c.numeric1 << ".." << c.numeric2;
    EXPECT_EQ(warning.value_or(OverlapWarning()), OverlapWarning());
  }
  EXPECT_EQ(OverlapWarning(), (Message{"Warning: Potential overlap",
                                       "Warning: Overlap in Alpha/Numeric message ranges ... "
                                       "potentially confusing operation",
                                       MessageIcon::Information}));

  Configuration notANumber;
  notANumber.EnableAlphaRepeat = notANumber.EnableNumericRepeat = 1;
  notANumber.RepeatRIC1 = "x";
  EXPECT_THROW(RepeaterOverlap(notANumber), Failure);
}

TEST(SequenceKeys, FollowTheTickedFormat) {
  struct Case {
    Check numeric, alpha;
    std::string text;
    int code;
    bool pass;
    std::optional<std::string> cut;
  };
  // The numeric format's own keys, a full field and a pasted one are typed in the window below.
  const std::string twenty(20, '1'), eleven(11, 'x');
  // clang-format off
  const Case cases[] = {
      {1, 0, "", 'B', false, {}},  {1, 0, twenty, 8, true, {}},
      {0, 1, "", ' ', true, {}},   {0, 1, "", 127, true, {}},   {0, 1, "", 128, false, {}},
      {0, 1, "", 9, false, {}},    {0, 1, eleven, 'a', false, {}},
      {0, 1, eleven + "y", 'a', false, eleven},                 {0, 1, eleven + "y", 8, true, {}},
      {0, 0, twenty + twenty, 200, true, {}}};  // neither format: free text
  // clang-format on
  for (const auto& c : cases) {
    Configuration cfg;
    std::tie(cfg.NumericVC, cfg.AlphaVC, cfg.VC) = std::tie(c.numeric, c.alpha, c.text);
    const KeyVerdict verdict = FilterVcKey(cfg, c.code);
    EXPECT_EQ(verdict.pass, c.pass) << c.numeric << c.alpha << " " << c.text << " " << c.code;
    EXPECT_EQ(verdict.text, c.cut) << c.text << " " << c.code;
  }
}

using InputTest = WindowTest;

TEST_F(InputTest, FieldsTakeDigitsAreCheckedWhenLeftAndARefusedOneHoldsTheUser) {
  struct Case {
    int tab;
    const char* field;
    const char* typed;  // key by key, over the text; "\b" is the backspace key
    const char* shown;
    std::string message;  // empty when accepted
  };
  // '/' and ':' are the neighbours of the digits.
  const Case cases[] = {
      {kOptionsTab, "txtResetRIC", "\b", "0", ""},
      {kSerialDataTab, "txtSign1RIC", "2a0/9:7-1.5 2+", "2097152", RicInvalidText("2097152")},
      {kSerialDataTab, "txtSign1RIC", "20971512\b", "2097151", ""},  // put right, it may be left
      {kFirstZoneTab, "txtCloseTMax(0)", "1x5", "20", ""},
      {kFirstZoneTab, "txtCloseTMax(0)", "327680", "327680", TimeInvalidText("327680")}};
  for (const auto& c : cases) {
    showTab(c.tab);
    prompter.shown.clear();
    retype(c.field, c.typed);
    leaveTo(find("chkEnableAlphaCode"));  // hidden or not, it takes the focus
    EXPECT_EQ(text(c.field), c.shown) << c.field << " " << c.typed;
    EXPECT_EQ(prompter.shown.size(), c.message.empty() ? 0u : 1u) << c.typed;
    if (!c.message.empty()) {
      EXPECT_EQ(prompter.shown.at(0).text, c.message);
    }
    EXPECT_EQ(QApplication::focusWidget() == find(c.field), !c.message.empty()) << c.typed;
  }
  EXPECT_EQ(cfg().Sign1RIC, "2097151");
  EXPECT_EQ(window->windowTitle(), "Kova Pro Configuration 3.1 *");

  // The refused time stops a click, a tab change and a shortcut alike.
  click("chkTxMonitor(0)");
  EXPECT_EQ(cfg().Zones[0].TxMonitor, 0);
  EXPECT_FALSE(find<QCheckBox>("chkTxMonitor(0)")->isChecked());
  bool optionsLookedInFront = false;
  prompter.whileShown = [&] {
    optionsLookedInFront = window->tabs().tabButton(kOptionsTab)->isChecked();
  };
  QTest::mouseClick(window->tabs().tabButton(kOptionsTab), Qt::LeftButton);
  prompter.whileShown = nullptr;
  EXPECT_FALSE(optionsLookedInFront);
  EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab);
  // What "&Get"'s shortcut does: take the focus at once, click a moment later.
  leaveTo(find("cmdGet"));
  find<QAbstractButton>("cmdGet")->click();
  waitIdle();
  EXPECT_EQ(requestCount(), 0u);
  EXPECT_EQ(prompter.shown.size(), 4u);  // the refusal again, each time
  EXPECT_EQ(QApplication::focusWidget(), find("txtCloseTMax(0)"));
  retype("txtCloseTMax(0)", "7");
  prompter.saveAnswer = SaveChoice::Discard;  // the unit's values may replace the edits
  click("cmdGet");
  waitIdle();
  EXPECT_EQ(requestCount(), 1u);
}

TEST_F(InputTest, RepeaterFieldsListsAndEnablesCheckForOverlaps) {
  showTab(kSerialDataTab);
  std::tie(cfg().RepeatRIC1, cfg().RepeatRIC2, cfg().RepeatRIC3, cfg().RepeatRIC4) =
      std::tuple("200", "100", "300", "400");
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
  list->setFocus(Qt::TabFocusReason);
  list->setCurrentIndex(4);  // "ALL" drives every output, the alpha range's too
  emit list->activated(4);
  leaveTo(find("chkEnableNumericCode"));
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

// Keys that insert a character go through the field's filter; keys that
// edit, move or act never do, and neither does a paste.
TEST_F(InputTest, OnlyTypedCharactersAreFiltered) {
  using K = std::pair<int, Qt::KeyboardModifiers>;
  const K del{Qt::Key_Delete, {}}, back{Qt::Key_Backspace, {}}, home{Qt::Key_Home, {}},
      left{Qt::Key_Left, {}}, paste{Qt::Key_V, Qt::ControlModifier};
  const auto key = [](char c) { return K{-c, {}}; };  // a character, as typed
  struct Case {
    int tab;
    const char* field;
    std::vector<K> keys;
    const char* shown;  // from "123", typed at its end
  };
  const Case cases[] = {
      {kSerialDataTab, "txtSign1RIC", {home, del}, "23"},
      {kSerialDataTab, "txtSign1RIC", {del, K{Qt::Key_Delete, Qt::ShiftModifier}}, "123"},
      {kSerialDataTab, "txtSign1RIC", {left, back}, "13"},
      {kSerialDataTab, "txtSign1RIC", {K{Qt::Key_Insert, {}}, K{Qt::Key_F2, {}}, key('4')}, "1234"},
      {kSerialDataTab, "txtSign1RIC", {key('x'), key('-'), key(' ')}, "123"},
      {kSerialDataTab, "txtSign1RIC", {paste}, "1239x"},
      {kFirstZoneTab, "txtCloseTMax(0)", {home, del, K{Qt::Key_End, {}}, key('.'), back}, "2"},
      {kVerificationTab, "txtVC", {home, del, key('a'), key('A')}, "A23"},
      {kVerificationTab, "txtVC", {paste, key('0')}, "1239x0"},  // "x" pasted, "0" typed
  };
  QApplication::clipboard()->setText("9x");
  cfg().NumericVC = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    showTab(c.tab);
    const FieldAt at = FindByControl(c.field);
    SetText(cfg(), *at.field, at.index, "123");
    window->Refresh();
    type(c.field, "");
    for (const auto& [code, modifiers] : c.keys) {
      if (code < 0) {
        QTest::keyClick(find(c.field), static_cast<char>(-code));
      } else {
        QTest::keyClick(find(c.field), static_cast<Qt::Key>(code), modifiers);
      }
    }
    EXPECT_EQ(text(c.field), c.shown);
    EXPECT_EQ(GetText(cfg(), *at.field, at.index), c.shown);
  }
}

TEST_F(InputTest, CtrlTabAndCtrlPageKeysChangeTabsPastPllUnlessAFieldIsRefused) {
  using K = std::pair<Qt::Key, Qt::KeyboardModifiers>;
  const K next{Qt::Key_Tab, Qt::ControlModifier}, down{Qt::Key_PageDown, Qt::ControlModifier},
      up{Qt::Key_PageUp, Qt::ControlModifier},
      back{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier};
  const std::pair<K, int> steps[] = {{next, 1}, {next, 2}, {next, 4}, {back, 2}, {down, 4},
                                     {up, 2},   {up, 1},   {up, 0},   {up, 16},  {next, 0}};
  for (const auto& [keys, tab] : steps) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(),
                    keys.first, keys.second);
    EXPECT_EQ(window->tabs().currentIndex(), tab);
  }
  // The new page's first field has the focus; a refused one keeps it.
  showTab(kFirstZoneTab);
  retype("txtCloseTMax(0)", "327680");
  QTest::keyClick(find("txtCloseTMax(0)"), Qt::Key_PageDown, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab);
  EXPECT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(QApplication::focusWidget(), find("txtCloseTMax(0)"));
  retype("txtCloseTMax(0)", "60");
  QTest::keyClick(find("txtCloseTMax(0)"), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(window->tabs().currentIndex(), kFirstZoneTab + 1);
  EXPECT_EQ(QApplication::focusWidget(), find("chkEnableClose(1)"));

  // Tab walks the front page's controls and the command buttons, and enters
  // an option group on its choice: no tab button, nothing hidden or read-only.
  for (const int tab : {kCommsTab, kGeneralTab, kEngineeringTab}) {
    showTab(tab == kCommsTab ? kEngineeringTab : tab);
    if (tab == kCommsTab) QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
    std::set<QWidget*> stops;
    for (int press = 0; press < 60; ++press) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* w = QApplication::focusWidget();
      ASSERT_NE(w, nullptr);
      const auto* option = qobject_cast<QRadioButton*>(w);
      const auto* edit = qobject_cast<QLineEdit*>(w);
      EXPECT_TRUE(
          w->isVisible() && w->isEnabled() &&
          (window->tabs().widget(tab)->isAncestorOf(w) || w->objectName().startsWith("cmd")) &&
          !(option && !option->isChecked()) && !(edit && edit->isReadOnly()))
          << tab << ": " << w->objectName().toStdString();
      stops.insert(w);
    }
    EXPECT_TRUE(stops.count(find("cmdGet")) && stops.count(find("cmdPut"))) << tab;
  }
}

}  // namespace
}  // namespace kova::test
