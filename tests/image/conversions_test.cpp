// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/conversions.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "diag/failure.h"

namespace kova {
namespace {

// The failure number a conversion raises, or nullopt when it succeeds.
template <class Convert>
std::optional<int> FailureOf(Convert convert) {
  try {
    convert();
    return std::nullopt;
  } catch (const Failure& failure) {
    return failure.number();
  }
}

struct LongCase {
  std::string text;
  std::int32_t value;  // when failure is 0
  int failure;         // 13 type mismatch, 6 overflow
};

TEST(ToLong, ReadsTextAsTheWindowDoes) {
  const std::vector<LongCase> cases{
      {"1000", 1000, 0},
      {"  42\t", 42, 0},
      {"+7", 7, 0},
      {"-7", -7, 0},
      {"007", 7, 0},
      {"2.5", 2, 0},  // halves go to the even neighbour
      {"3.5", 4, 0},
      {"-2.5", -2, 0},
      {"2.51", 3, 0},
      {".5", 0, 0},
      {"5.", 5, 0},
      {"&hff", 255, 0},
      {" &H7FFFFFFF ", 2147483647, 0},
      {"2147483647", 2147483647, 0},
      {"-2147483648", -2147483647 - 1, 0},
      {"2147483647.5", 0, 6},
      {"2147483648", 0, 6},
      {"&H80000000", 0, 6},
      {"99999999999999999999999", 0, 6},
      {"", 0, 13},
      {"   ", 0, 13},
      {"abc", 0, 13},
      {"12abc", 0, 13},
      {"1 2", 0, 13},
      {"--1", 0, 13},
      {".", 0, 13},
      {"-", 0, 13},
      {"&H", 0, 13},
      {"&HG1", 0, 13},
      {"1e3", 0, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.text + "'");
    if (c.failure == 0) {
      EXPECT_EQ(ToLong(c.text), c.value);
    } else {
      EXPECT_EQ(FailureOf([&] { ToLong(c.text); }), c.failure);
    }
  }
}

TEST(ToInteger, OverflowsOutsideSixteenBits) {
  EXPECT_EQ(ToInteger("32767"), 32767);
  EXPECT_EQ(ToInteger("-32768"), -32768);
  EXPECT_EQ(FailureOf([] { ToInteger("32768"); }), 6);
  EXPECT_EQ(FailureOf([] { ToInteger("-32768.6"); }), 6);
}

TEST(ToByte, OverflowsOutsideZeroTo255) {
  EXPECT_EQ(ToByte(std::string_view("255")), 255);
  EXPECT_EQ(ToByte(std::string_view("-0.4")), 0);
  EXPECT_EQ(ToByte(std::string_view("254.5")), 254);
  EXPECT_EQ(FailureOf([] { ToByte(std::string_view("256")); }), 6);
  EXPECT_EQ(FailureOf([] { ToByte(std::string_view("-1")); }), 6);
  EXPECT_EQ(FailureOf([] { ToByte(std::int64_t{300}); }), 6);
  EXPECT_EQ(FailureOf([] { ToByte(std::string_view("x")); }), 13);
}

TEST(ToDouble, KeepsTheFraction) {
  EXPECT_DOUBLE_EQ(ToDouble(" 459.05 "), 459.05);
  EXPECT_DOUBLE_EQ(ToDouble("-0.5"), -0.5);
  EXPECT_DOUBLE_EQ(ToDouble("&H10"), 16.0);
  EXPECT_EQ(FailureOf([] { ToDouble("MHz"); }), 13);
}

TEST(ToBool, ReadsWordsAndNumbers) {
  EXPECT_TRUE(ToBool("True"));
  EXPECT_TRUE(ToBool(" TRUE "));
  EXPECT_FALSE(ToBool("false"));
  EXPECT_TRUE(ToBool("-1"));
  EXPECT_FALSE(ToBool("0"));
  EXPECT_EQ(FailureOf([] { ToBool("yes"); }), 13);
}

}  // namespace
}  // namespace kova
