#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include "window/window_pages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr int kEngineeringTab = 1;
constexpr int kSerialDataTab = 4;
constexpr int kOptionsTab = 15;

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
                           "Label26(12)", "Label16(12)"}) {
    EXPECT_TRUE(find(name)->isHidden()) << name;
  }
}

TEST_F(DependentTest, BaudRatePresetsClockJogAndOffersAutoPolarityBelow2400) {
  click("optAutoPol");
  const std::tuple<const char*, const char*, bool> steps[] = {
      {"opt2400", "4", false}, {"opt1200", "8", true}, {"opt512", "16", true}};
  for (const auto& [rate, jog, autoShown] : steps) {
    click(rate);
    EXPECT_EQ(text("txtClkJog"), jog);
    EXPECT_EQ(!find("optAutoPol")->isHidden(), autoShown);
    EXPECT_TRUE(find<QRadioButton>("optNormal")->isChecked());  // Auto went at 2400 for good
  }
}

TEST_F(DependentTest, TimedShowsTheTimeAndRelaySettingsCopyToTheSounder) {
  showTab(kOptionsTab);
  click("optSndrTimed");
  EXPECT_TRUE(find<QRadioButton>("optRlyWireOrd")->isChecked());  // other frame, other group
  EXPECT_FALSE(find("txtSndrTime")->isHidden());
  click("optSndrWireOrd");
  for (const char* name : {"Label28(10)", "txtSndrTime", "Label30", "txtRlyTime"}) {
    EXPECT_TRUE(find(name)->isHidden()) << name;
  }
  click("optRlyTimed");
  retype("txtRlyTime", "30");
  for (const char* name : {"chkRlyChan(1)", "chkRlyChan(3)", "chkSndrChan(5)", "cmdCpyRly2Sndr"}) {
    click(name);
  }
  EXPECT_TRUE(find<QRadioButton>("optSndrTimed")->isChecked());
  EXPECT_EQ(text("txtSndrTime"), "30");
  EXPECT_FALSE(find("Label28(10)")->isHidden());
  for (int zone = 0; zone < 10; ++zone) {
    EXPECT_EQ(find<QCheckBox>("chkSndrChan(" + std::to_string(zone) + ")")->isChecked(),
              zone == 1 || zone == 3)
        << zone;
  }
}

TEST_F(DependentTest, TestCallMonitorAndSynthRxGovernTheirOwnControlsOnly) {
  showTab(kFirstZoneTab + 2);
  click("chkTxMonitor(2)");
  EXPECT_EQ(find<QLabel>("Label28(2)")->text(), "Timeout");
  EXPECT_EQ(find<QLabel>("Label28(3)")->text(), "TMax");
  showTab(kEngineeringTab);
  click("chkSynthRx");
  click("cmdFAdd");
  click("chkSynthRx");
  EXPECT_TRUE(find("frmSynthRx")->isHidden());
  EXPECT_EQ(cfg().Freq, 459056250);  // hidden, kept
}

}  // namespace
}  // namespace kova::test
