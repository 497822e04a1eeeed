#include "diag/trace.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace kova {
namespace {

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTraceSink([this](std::string_view line) { lines.emplace_back(line); });
  }
  void TearDown() override { SetTraceSink(nullptr); }
  std::vector<std::string> lines;
};

TEST(TraceLine, WithoutStampStartsWithABlank) {
  EXPECT_EQ(FormatTraceLine("++ Get EEprom", false), " ++ Get EEprom");
}

TEST(TraceLine, WithStampPutsTheTimeBeforeTheBlank) {
  const std::string line = FormatTraceLine("+++ Program started", true);
  ASSERT_GT(line.size(), std::string(" +++ Program started").size());
  EXPECT_NE(line.front(), ' ');
  EXPECT_TRUE(line.ends_with(" +++ Program started"));
}

TEST(TraceLine, NothingIsWrittenWithoutASink) {
  SetTraceSink(nullptr);
  EXPECT_FALSE(TraceEnabled());
  log("+++ Program started", 1);  // must simply do nothing
}

TEST_F(TraceTest, LogHandsTheLineToTheSink) {
  log("++ Put EEprom", 0);
  EXPECT_EQ(lines, std::vector<std::string>{" ++ Put EEprom"});
}

TEST_F(TraceTest, ImageDumpIsSixteenRowsOfHexLedByTheAddress) {
  std::array<std::uint8_t, 256> image{};
  image[0x1F] = 0xAB;
  image[0xF0] = 0x0C;
  DisplayEEprom(image);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_TRUE(lines[1].starts_with("10:"));
  EXPECT_TRUE(lines[1].ends_with(" AB"));
  EXPECT_TRUE(lines[15].starts_with("F0: 0C 00"));
}

TEST_F(TraceTest, AreaDumpWalksBytes248To254ThenSevenToNineFromBitSeven) {
  std::array<std::uint8_t, 256> image{};
  image[248] = 0x81;
  image[9] = 0x40;
  DisplayEEpromBits(image);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "byte 248: 10000001");
  EXPECT_EQ(lines[9], "byte 9: 01000000");
}

TEST_F(TraceTest, BitDumpIsTenRowsOfEight) {
  std::array<std::int16_t, 85> bits{};
  bits[0] = 1;
  bits[79] = 1;
  DisplayBits(bits);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "bits 0: 1 0 0 0 0 0 0 0");
  EXPECT_EQ(lines[9], "bits 72: 0 0 0 0 0 0 0 1");
}

}  // namespace
}  // namespace kova
