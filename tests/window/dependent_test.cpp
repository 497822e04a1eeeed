// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_test_support.h"

namespace kova::test {
namespace {

using DependentTest = WindowTest;

TEST_F(DependentTest, SubstitutionShowsOnlyWithOrvelProtocolAndSubTicked) {
  showTab(kSerialDataTab);
  // Each click, then whether the Sub box and the substitution fields show.
  const std::tuple<const char*, bool, bool> steps[] = {{"chkEnableAlphaCode", false, false},
                                                       {"chkEnableAlphaCode", true, false},
                                                       {"chkEnableAlphaSub", true, true},
                                                       {"chkEnableAlphaCode", false, false},
                                                       {"chkEnableAlphaCode", true, true}};
  for (const auto& [control, subShown, fieldsShown] : steps) {
    click(control);
    EXPECT_EQ(!find("chkEnableAlphaSub")->isHidden(), subShown);
    for (const char* name : {"txtAlphaSubRIC", "lstAlphaSubFunc", "Label26(11)", "Label16(11)"}) {
      EXPECT_EQ(!find(name)->isHidden(), fieldsShown) << name;
    }
  }
  // A unit or a file can tick Sub without Orvel: its RIC stays hidden all the same.
  cfg().EnableNumericCode = 0;
  cfg().EnableNumericSub = 1;
  window->Refresh();
  for (const char* name : {"chkEnableNumericSub", "txtNumericSubRIC", "lstNumericSubFunc",
                           "Label26(12)", "Label16(12)"})
    EXPECT_TRUE(find(name)->isHidden()) << name;
}

TEST_F(DependentTest, BaudRatePresetsClockJogAndOffersAutoPolarityBelow2400) {
  click("optAutoPol");
  const std::tuple<const char*, const char*, bool> steps[] = {
      {"opt2400", "4", false}, {"opt1200", "8", true}, {"opt512", "16", true}};
  for (const auto& [rate, jog, autoShown] : steps) {
    click(rate);
    EXPECT_EQ(text("txtClkJog"), jog);
    EXPECT_EQ(!find("optAutoPol")->isHidden(), autoShown);
    EXPECT_TRUE(find<QAbstractButton>("optNormal")->isChecked());  // Auto went at 2400 for good
  }
}

TEST_F(DependentTest, TimedShowsTheTimeAndRelaySettingsCopyToTheSounder) {
  showTab(kOptionsTab);
  click("optRlyTimed");
  EXPECT_TRUE(find<QAbstractButton>("optSndrWireOrd")->isChecked());  // other frame, other group
  retype("txtRlyTime", "30");
  for (const char* name : {"chkRlyChan(1)", "chkRlyChan(3)", "chkSndrChan(5)", "cmdCpyRly2Sndr"})
    click(name);
  EXPECT_TRUE(find<QAbstractButton>("optSndrTimed")->isChecked());
  EXPECT_EQ(text("txtSndrTime"), "30");
  for (const char* name : {"Label28(10)", "txtSndrTime", "Label30"})
    EXPECT_FALSE(find(name)->isHidden()) << name;
  for (int zone = 0; zone < 10; ++zone)
    EXPECT_EQ(find<QCheckBox>(ControlName("chkSndrChan", zone))->isChecked(),
              zone == 1 || zone == 3)
        << zone;
}

TEST_F(DependentTest, FrequencyStepsAndRasterChangesShowInMegahertz) {
  showTab(kEngineeringTab);
  click("chkSynthRx");
  const std::pair<const char*, const char*> steps[] = {
      {"cmdFAdd", "459.056 250"},          // one 6.25 kHz channel
      {"optChanSpace(0)", "459.055 000"},  // down onto the 5 kHz raster
      {"cmdFAdd", "459.060 000"},          // one 5 kHz channel
      {"cmdFSub", "459.055 000"},
      {"cmdFAdd2", "459.080 000"},
      {"cmdFSub2", "459.055 000"},
      {"cmdFAdd3", "459.155 000"},
      {"cmdFSub3", "459.055 000"},
      {"cmdFAdd4", "460.055 000"},
      {"cmdFSub4", "459.055 000"},
      {"optChanSpace(1)", "459.050 000"}};  // back onto the 6.25 kHz raster
  for (const auto& [control, shown] : steps) {
    click(control);
    EXPECT_EQ(text("txtFreq"), shown) << control;
  }
  EXPECT_EQ(cfg().ChanSpace, 6250);
  click("cmdFAdd");
  click("chkSynthRx");  // hidden, the frequency is kept
  EXPECT_TRUE(find("frmSynthRx")->isHidden());
  EXPECT_EQ(cfg().Freq, 459056250);
}

}  // namespace
}  // namespace kova::test
