// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/verification_code.h"

#include <gtest/gtest.h>

#include "diag/failure.h"
#include "image/bit_array.h"

namespace kova {
namespace {

struct NumericCase {
  std::string text;
  std::array<std::uint8_t, 3> first;  // bytes 7, 8, 9
  std::string readBack;
};

TEST(NumericSequence, PacksTwoCodesAByteAndReadsBack) {
  const std::vector<NumericCase> cases{
      {"123", {0x84, 0xC0, 0x00}, "123"},
      {"U-5", {0xDB, 0xA0, 0x00}, "U-5"},
      {"u", {0x00, 0x00, 0x00}, "0"},  // outside the table: code 0
      {"[ ]", {0xF3, 0x70, 0x00}, "[ ]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EEpromImage image;
    image.fill(0x55);
    PackNumeric(c.text, image);
    EXPECT_EQ(image[7], c.first[0]);
    EXPECT_EQ(image[8], c.first[1]);
    EXPECT_EQ(image[9], c.first[2]);
    for (int address = 248; address <= 254; ++address)
      EXPECT_EQ(image[address], 0);
    EXPECT_EQ(image[4], 4 * c.text.size());
    EXPECT_EQ(UnpackNumeric(image), c.readBack);
  }
}

TEST(NumericSequence, TwentyCharactersFillTheAreaTwentyOneAreRefused) {
  EEpromImage image{};
  PackNumeric("01234567890123456789", image);
  EXPECT_EQ(image[4], 80);
  EXPECT_EQ(UnpackNumeric(image), "01234567890123456789");

  EEpromImage untouched{};
  untouched[7] = 0x12;
  EXPECT_THROW(PackNumeric("012345678901234567890", untouched), Failure);
  EXPECT_EQ(untouched[7], 0x12);
  EXPECT_EQ(untouched[4], 0);
}

TEST(NumericSequence, ReadingTakesByteFourOverFourCharacters) {
  EEpromImage image{};
  PackNumeric("12345", image);
  image[4] = 10;  // two and a half characters: two
  EXPECT_EQ(UnpackNumeric(image), "12");
}

TEST(AlphaSequence, ElementsPastTheTextKeepTheirValues) {
  EEpromImage image{};
  BitArray bits{};
  bits.fill(1);
  PackCharsIntoBitArray("", bits, image);
  EXPECT_EQ(image[4], 0);
  EXPECT_EQ(std::count(bits.begin(), bits.end(), 1), 85);

  PackCharsIntoBitArray("@", bits, image);  // code 64: only bit 6
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(bits[k], 0);
  EXPECT_EQ(bits[6], 1);
  EXPECT_EQ(bits[7], 1);
}

TEST(AlphaSequence, AThirteenthCharacterRunsPastTheBitArray) {
  EEpromImage image{};
  BitArray bits{};
  EXPECT_NO_THROW(PackCharsIntoBitArray("ABCDEFGHIJKL", bits, image));  // 12 still fit the 85
  image[4] = 0;
  try {
    PackCharsIntoBitArray("ABCDEFGHIJKLM", bits, image);
    FAIL() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.code(), FailureCode::SubscriptOutOfRange);
  }
  EXPECT_EQ(image[4], 0);
}

TEST(AlphaSequence, ReadsElevenCharactersCutToByteFour) {
  EEpromImage image{};
  BitArray bits{};
  PackCharsIntoBitArray("HELLO WORLD", bits, image);
  PackBitArrayIntoEEprom(bits, image);
  BitArray read{};
  EXPECT_EQ(ReadAlphaSequence(image, read), "HELLO WORLD");
  image[4] = 7 * 6;  // "HELLO " without its trailing space
  EXPECT_EQ(ReadAlphaSequence(image, read), "HELLO");
  EXPECT_EQ(UnpackBitArrayIntoChars(read), "HELLO WORLD");
}

}  // namespace
}  // namespace kova
