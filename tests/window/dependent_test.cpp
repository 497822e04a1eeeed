#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include "window/window_pages.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr int kGeneralPage = 0;
constexpr int kEngineeringTab = 1;
constexpr int kSerialDataTab = 4;
constexpr int kOptionsTab = 15;
constexpr int kVerificationTab = 16;

using DependentTest = WindowTest;

bool Shown(QWidget* widget) {
  return !widget->isHidden();
}

TEST_F(DependentTest, SubstitutionShowsOnlyWithOrvelProtocolAndSubTicked) {
  showTab(kSerialDataTab);
  const char* subFields[] = {"txtAlphaSubRIC", "lstAlphaSubFunc", "Label26(11)", "Label16(11)"};
  const auto fieldsShown = [&](bool shown) {
    for (const char* name : subFields)
      EXPECT_EQ(Shown(find(name)), shown) << name;
  };
  click("chkEnableAlphaCode");  // unticked
  EXPECT_FALSE(Shown(find("chkEnableAlphaSub")));
  fieldsShown(false);
  click("chkEnableAlphaCode");  // ticked, Sub unticked: only the Sub box
  EXPECT_TRUE(Shown(find("chkEnableAlphaSub")));
  fieldsShown(false);
  click("chkEnableAlphaSub");
  fieldsShown(true);
  click("chkEnableAlphaCode");
  EXPECT_FALSE(Shown(find("chkEnableAlphaSub")));
  fieldsShown(false);
  click("chkEnableAlphaCode");
  fieldsShown(true);
  EXPECT_EQ(cfg().EnableAlphaSub, 1);  // hiding kept the value

  // Values read from a unit or a file can tick Sub without Orvel: still hidden.
  cfg().EnableNumericCode = 0;
  cfg().EnableNumericSub = 1;
  window->Refresh();
  for (const char* name : {"chkEnableNumericSub", "txtNumericSubRIC", "lstNumericSubFunc",
                           "Label26(12)", "Label16(12)"}) {
    EXPECT_FALSE(Shown(find(name))) << name;
  }
}

TEST_F(DependentTest, BaudRatePresetsClockJogAndOffersAutoPolarityBelow2400) {
  showTab(kGeneralPage);
  click("optAutoPol");
  click("opt2400");
  EXPECT_EQ(cfg().ClkJog, "4");
  EXPECT_FALSE(Shown(find("optAutoPol")));
  EXPECT_TRUE(find<QRadioButton>("optNormal")->isChecked());
  click("opt1200");
  EXPECT_EQ(cfg().ClkJog, "8");
  EXPECT_TRUE(Shown(find("optAutoPol")));
  EXPECT_TRUE(find<QRadioButton>("optNormal")->isChecked());
  click("opt512");
  EXPECT_EQ(cfg().ClkJog, "16");
  EXPECT_EQ(cfg().PocsagBaud, PocsagRate::R512);
}

TEST_F(DependentTest, OptionGroupsInDifferentFramesNeverClearEachOther) {
  showTab(kOptionsTab);
  click("optSndrTimed");
  EXPECT_TRUE(find<QRadioButton>("optRlyWireOrd")->isChecked());
  EXPECT_EQ(cfg().RlyMode, OutputMode::WireOrd);
  EXPECT_EQ(cfg().SndrMode, OutputMode::Timed);
  for (const char* name : {"Label28(10)", "txtSndrTime", "Label30"}) {
    EXPECT_TRUE(Shown(find(name))) << name;
  }
  EXPECT_FALSE(Shown(find("txtRlyTime")));
  click("optSndrWireOrd");
  EXPECT_FALSE(Shown(find("txtSndrTime")));
}

TEST_F(DependentTest, CopyRelaySettingsToSounder) {
  showTab(kOptionsTab);
  click("optRlyTimed");
  retype("txtRlyTime", "30");
  click("chkRlyChan(1)");
  click("chkRlyChan(3)");
  click("chkSndrChan(5)");
  click("cmdCpyRly2Sndr");
  EXPECT_TRUE(find<QRadioButton>("optSndrTimed")->isChecked());
  EXPECT_TRUE(Shown(find("txtSndrTime")));
  EXPECT_EQ(text("txtSndrTime"), "30");
  for (int zone = 0; zone < 10; ++zone) {
    const bool ticked = zone == 1 || zone == 3;
    EXPECT_EQ(find<QCheckBox>("chkSndrChan(" + std::to_string(zone) + ")")->isChecked(), ticked)
        << zone;
  }
}

TEST_F(DependentTest, TestCallMonitorRenamesOnlyItsZonesTimeLabel) {
  showTab(kFirstZoneTab + 2);
  click("chkTxMonitor(2)");
  EXPECT_EQ(find<QLabel>("Label28(2)")->text(), "Timeout");
  EXPECT_EQ(find<QLabel>("Label28(3)")->text(), "TMax");
  click("chkTxMonitor(2)");
  EXPECT_EQ(find<QLabel>("Label28(2)")->text(), "TMax");
}

TEST_F(DependentTest, SynthFrameFollowsItsTickBoxAndKeepsItsValues) {
  showTab(kEngineeringTab);
  EXPECT_FALSE(Shown(find("frmSynthRx")));
  click("chkSynthRx");
  EXPECT_TRUE(Shown(find("frmSynthRx")));
  click("cmdFAdd");
  click("chkSynthRx");
  EXPECT_FALSE(Shown(find("frmSynthRx")));
  EXPECT_EQ(cfg().Freq, 459056250);
  EXPECT_EQ(cfg().ChanSpace, 6250);
}

TEST_F(DependentTest, UntickingTheTickedSequenceFormatLeavesTheTextAlone) {
  showTab(kVerificationTab);
  click("chkAlphaVC");
  type("txtVC", "AB CD");
  click("chkAlphaVC");
  EXPECT_EQ(cfg().AlphaVC, 0);
  EXPECT_EQ(cfg().NumericVC, 0);
  EXPECT_EQ(text("txtVC"), "AB CD");
}

}  // namespace
}  // namespace kova::test
