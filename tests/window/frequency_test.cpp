#include "window_test_support.h"

namespace kova::test {
namespace {

constexpr int kEngineeringTab = 1;

class FrequencyTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    showTab(kEngineeringTab);
    click("chkSynthRx");
  }
};

TEST_F(FrequencyTest, StepsAndRasterChangesShowInMegahertz) {
  // Each step is clicked in turn; the display is checked after it.
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
      {"optChanSpace(1)", "459.050 000"},  // back onto the 6.25 kHz raster
  };
  for (const auto& [control, shown] : steps) {
    click(control);
    EXPECT_EQ(text("txtFreq"), shown) << control;
  }
  EXPECT_EQ(cfg().Freq, 459050000);
  EXPECT_EQ(cfg().ChanSpace, 6250);
}

TEST_F(FrequencyTest, NothingStopsTheFrequencyBelowZero) {
  for (int press = 0; press < 460; ++press)
    click("cmdFSub4");
  EXPECT_EQ(text("txtFreq"), "-0.950 000");
}

TEST_F(FrequencyTest, TheFieldOnlyShowsTheFrequency) {
  auto* field = find<QLineEdit>("txtFreq");
  EXPECT_TRUE(field->isReadOnly());
  field->setText("123.000 000");  // whatever gets there is never read back
  click("cmdFAdd");
  EXPECT_EQ(field->text(), "459.056 250");
}

}  // namespace
}  // namespace kova::test
