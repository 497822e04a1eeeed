// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/ric_slot.h"

#include <gtest/gtest.h>

#include <random>

#include "diag/failure.h"
#include "image/bit_array.h"

namespace kova {
namespace {

struct RicCase {
  std::int32_t ric;
  std::array<std::uint8_t, 3> bytes;
};

TEST(RicSlot, PutRICWritesTwentyOneBitsLittleEndianAndClearsTheFlags) {
  const std::vector<RicCase> cases{
      {0, {0, 0, 0}},
      {1000, {0xE8, 0x03, 0x00}},
      {2097151, {0xFF, 0xFF, 0x1F}},
      {2097152, {0x00, 0x00, 0x00}},  // masked to 21 bits
      {-1, {0xFF, 0xFF, 0x1F}},
  };
  for (const auto& c : cases) {
    EEpromImage image{};
    image[12] = 0xE0;  // old flags must go
    PutRIC(image, 10, c.ric);
    EXPECT_EQ(image[10], c.bytes[0]) << c.ric;
    EXPECT_EQ(image[11], c.bytes[1]) << c.ric;
    EXPECT_EQ(image[12], c.bytes[2]) << c.ric;
    EXPECT_EQ(image[13], 0);
  }
}

TEST(RicSlot, FunctionAndEnableShareTheTopBits) {
  EEpromImage image{};
  PutRIC(image, 13, 5);
  PutFunc(image, 13, 3);
  PutEnable(image, 13, 1);
  EXPECT_EQ(image[15] & 0xE0, 0xE0);
  EXPECT_EQ(GetFunc(image, 13, true), 3);
  EXPECT_EQ(GetEnable(image, 13), 1);
  PutEnable(image, 13, 0);
  EXPECT_EQ(GetFunc(image, 13, true), 3);  // the function survives the enable
  EXPECT_EQ(GetEnable(image, 13), 0);
}

TEST(RicSlot, PutFuncReplacesBitsFiveAndSixButNeverClearsSeven) {
  EEpromImage image{};
  image[12] = 0xE0 | 0x1F;
  PutFunc(image, 10, 1);
  EXPECT_EQ(image[12], 0x80 | 0x20 | 0x1F);
}

TEST(RicSlot, ANegativeFunctionCodeOverflowsAndLeavesTheByte) {
  EEpromImage image{};
  PutRIC(image, 10, 70000);
  const auto before = image[12];
  try {
    PutFunc(image, 10, -1);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.code(), FailureCode::Overflow);
  }
  EXPECT_EQ(image[12], before);
}

TEST(RicSlot, SlotsOutsideTheImageAreRefused) {
  EEpromImage image{};
  EXPECT_THROW(GetRIC(image, 254), Failure);
  EXPECT_THROW(PutRIC(image, -1, 0), Failure);
}

TEST(Hex2, TwoUpperCaseDigits) {
  EXPECT_EQ(Hex2(0), "00");
  EXPECT_EQ(Hex2(10), "0A");
  EXPECT_EQ(Hex2(171), "AB");
  EXPECT_EQ(Hex2(255), "FF");
}

TEST(BitArray, AreaBytesInOrderEachFromItsTopBit) {
  struct Case {
    int address;
    std::uint8_t bit;
    int element;
  };
  for (const Case& c :
       {Case{7, 0x80, 0}, Case{9, 0x01, 23}, Case{248, 0x80, 24}, Case{254, 0x01, 79}}) {
    EEpromImage image{};
    image[c.address] = c.bit;
    BitArray bits{};
    UnpackEEpromIntoBitArray(image, bits);
    for (int k = 0; k < 85; ++k)
      EXPECT_EQ(bits[k], k == c.element) << c.address << " " << k;
    EEpromImage packed{};
    PackBitArrayIntoEEprom(bits, packed);
    EXPECT_EQ(packed, image);
  }
}

TEST(BitArray, PackingRestoresAnyAreaAndTouchesNothingElse) {
  std::mt19937 rng(7);
  for (int run = 0; run < 50; ++run) {
    EEpromImage image;
    for (auto& byte : image)
      byte = static_cast<std::uint8_t>(rng());
    BitArray bits{};
    UnpackEEpromIntoBitArray(image, bits);
    EEpromImage copy = image;
    for (int address : kVerificationArea)
      copy[address] = 0;
    PackBitArrayIntoEEprom(bits, copy);
    EXPECT_EQ(copy, image);
  }
}

}  // namespace
}  // namespace kova
