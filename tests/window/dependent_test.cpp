// SPDX-License-Identifier: GPL-3.0-or-later
// A click goes through the model's own rule (tried in the model's tests), and
// the view then shows all that the rule changed and what the new values call for.
#include "every_field.h"
#include "image/frequency.h"
#include "image/value_rules.h"
#include "window/form_binder.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using DependentTest = WindowTest;

TEST_F(DependentTest, EachClickRunsTheModelsRuleAndTheViewShowsEverythingItChanged) {
  std::vector<std::pair<std::string, std::function<void(Configuration&)>>> clicks;
  for (const Field& field : Fields()) {
    if (!field.apply) continue;
    for (const FieldItem& item : field.items) {
      if (!item.control.empty())
        clicks.emplace_back(item.control,
                            [f = &field, v = item.value](Configuration& c) { f->apply(c, v); });
    }
    if (field.kind == FieldKind::CheckBox) {
      clicks.emplace_back(ControlName(field), [f = &field](Configuration& c) {
        f->apply(c, 1 - static_cast<int>(GetNumber(c, *f)));
      });
    }
  }
  for (int i = 0; i < 8; ++i) {  // cmdFAdd, cmdFSub, cmdFAdd2, cmdFSub2, ... in FreqStep's order
    const std::string button =
        (i % 2 ? "cmdFSub" : "cmdFAdd") + (i < 2 ? "" : std::to_string(i / 2 + 1));
    clicks.emplace_back(button, [step = FreqStep(i)](Configuration& c) { StepFreq(c, step); });
  }
  clicks.emplace_back("cmdCpyRly2Sndr", CopyRelayToSounder);
  ASSERT_EQ(clicks.size(), 3u + 2u + 2u + 8u + 1u);  // the rates, the spacings, the formats

  cfg() = kova::testing::EveryField();  // a value in every field that a rule may change
  cfg().Zones[3].RlyChan = 1 - cfg().Zones[3].SndrChan;
  cfg().RlyTime = "30";
  window->Refresh();
  for (int round = 0; round < 2; ++round) {  // the second finds the first round's values
    for (const auto& [control, rule] : clicks) {
      Configuration expected = cfg();
      rule(expected);
      window->GoToControl(control);
      click(control);
      EXPECT_EQ(cfg(), expected) << control;
      EXPECT_FALSE(window->binder().hasChanged(cfg())) << control;
      EXPECT_EQ(text("txtFreq").toStdString(), DisplayFreq(cfg().Freq)) << control;
    }
  }
}

TEST_F(DependentTest, ControlsShowOnlyWhileTheValuesCallForThem) {
  // A click, then a control that follows it and whether it shows.
  // clang-format off
  const std::tuple<const char*, const char*, bool> steps[] = {
      {"chkEnableAlphaSub", "txtAlphaSubRIC", true}, {"chkEnableAlphaCode", "chkEnableAlphaSub", false},
      {"chkEnableAlphaCode", "txtAlphaSubRIC", true}, {"chkEnableAlphaSub", "lstAlphaSubFunc", false},
      {"chkEnableNumericSub", "txtNumericSubRIC", true}, {"chkEnableNumericCode", "txtNumericSubRIC", false},
      {"chkEnableNumericCode", "chkEnableNumericSub", true}, {"opt2400", "optAutoPol", false},
      {"opt512", "optAutoPol", true}, {"optRlyTimed", "txtRlyTime", true},
      {"optSndrTimed", "txtSndrTime", true}, {"optSndrWireOrd", "Label30", false},
      {"chkSynthRx", "frmSynthRx", true}, {"chkSynthRx", "frmSynthRx", false}};
  // clang-format on
  for (const auto& [control, shown, visible] : steps) {
    window->GoToControl(control);
    click(control);
    EXPECT_EQ(find(shown)->isHidden(), !visible) << control << " " << shown;
  }
}

}  // namespace
}  // namespace kova::test
