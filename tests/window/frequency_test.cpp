#include "window_test_support.h"

namespace kova::test {
namespace {

using FrequencyTest = WindowTest;

TEST_F(FrequencyTest, StepsAndRasterChangesShowInMegahertz) {
  showTab(1);
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
      {"optChanSpace(1)", "459.050 000"},  // back onto the 6.25 kHz raster
  };
  for (const auto& [control, shown] : steps) {
    click(control);
    EXPECT_EQ(text("txtFreq"), shown) << control;
  }
  EXPECT_EQ(cfg().ChanSpace, 6250);
  for (int press = 0; press < 460; ++press)
    click("cmdFSub4");
  EXPECT_EQ(text("txtFreq"), "-0.950 000");  // nothing stops it
}

}  // namespace
}  // namespace kova::test
