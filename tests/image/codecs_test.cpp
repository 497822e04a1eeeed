// SPDX-License-Identifier: GPL-3.0-or-later
// How values become text and bits: the window's number conversions, the RIC
// slots, the bit array of the verification area and the two sequence codes.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "diag/failure.h"
#include "image/bit_array.h"
#include "image/conversions.h"
#include "image/ric_slot.h"
#include "image/verification_code.h"

namespace kova {
namespace {

// What a call gives, as text: its result, or "#" and the failure's number.
std::string Outcome(const std::function<std::string()>& call) {
  try {
    return call();
  } catch (const Failure& failure) {
    return "#" + std::to_string(failure.number());
  }
}

template <class T>
std::string Text(T value) {
  std::ostringstream out;
  out << +value;
  return out.str();
}

TEST(Conversions, ReadTextAsTheWindowDoes) {
  using Convert = std::function<std::string(std::string_view)>;
  const Convert Long = [](std::string_view t) { return Text(ToLong(t)); };
  const Convert Integer = [](std::string_view t) { return Text(ToInteger(t)); };
  const Convert Byte = [](std::string_view t) { return Text(ToByte(t)); };
  const Convert Double = [](std::string_view t) { return Text(ToDouble(t)); };
  const Convert Bool = [](std::string_view t) { return Text(ToBool(t)); };
  const Convert Number = [](std::string_view t) { return Text(ToByte(std::stoll(t.data()))); };
  struct Case {
    const Convert& convert;
    const char* text;
    const char* expected;  // "#13" type mismatch, "#6" overflow
  };
  const Case cases[] = {
      {Long, "1000", "1000"},
      {Long, "  42\t", "42"},
      {Long, "+7", "7"},
      {Long, "-7", "-7"},
      {Long, "007", "7"},
      {Long, "2.5", "2"},  // halves go to the even neighbour
      {Long, "3.5", "4"},
      {Long, "-2.5", "-2"},
      {Long, "2.51", "3"},
      {Long, ".5", "0"},
      {Long, "5.", "5"},
      {Long, "&hff", "255"},
      {Long, " &H7FFFFFFF ", "2147483647"},
      {Long, "2147483647", "2147483647"},
      {Long, "-2147483648", "-2147483648"},
      {Long, "2147483647.5", "#6"},
      {Long, "2147483648", "#6"},
      {Long, "&H80000000", "#6"},
      {Long, "99999999999999999999999", "#6"},
      {Long, "", "#13"},
      {Long, "   ", "#13"},
      {Long, "abc", "#13"},
      {Long, "12abc", "#13"},
      {Long, "1 2", "#13"},
      {Long, "--1", "#13"},
      {Long, ".", "#13"},
      {Long, "-", "#13"},
      {Long, "&H", "#13"},
      {Long, "&HG1", "#13"},
      {Long, "1e3", "#13"},
      {Integer, "32767", "32767"},
      {Integer, "-32768", "-32768"},
      {Integer, "32768", "#6"},
      {Integer, "-32768.6", "#6"},
      {Byte, "255", "255"},
      {Byte, "-0.4", "0"},
      {Byte, "254.5", "254"},
      {Byte, "256", "#6"},
      {Byte, "-1", "#6"},
      {Byte, "x", "#13"},
      {Number, "300", "#6"},
      {Double, " 459.05 ", "459.05"},
      {Double, "-0.5", "-0.5"},
      {Double, "&H10", "16"},
      {Double, "MHz", "#13"},
      {Bool, "True", "1"},
      {Bool, " TRUE ", "1"},
      {Bool, "false", "0"},
      {Bool, "-1", "1"},
      {Bool, "0", "0"},
      {Bool, "yes", "#13"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Outcome([&] { return c.convert(c.text); }), c.expected) << "'" << c.text << "'";
}

// A RIC is 21 bits little-endian; writing it clears the slot's flags, which
// are packed after it (the every-field round trip holds the function and enable).
TEST(RicSlot, PutsTwentyOneBitsAndClearsTheFlags) {
  for (const auto& [slot, ric, bytes] :
       std::vector<std::tuple<int, std::int32_t, std::string>>{{10, 0, "000000"},
                                                               {10, 1000, "E80300"},
                                                               {10, 2097151, "FFFF1F"},
                                                               {10, 2097152, "000000"},
                                                               {10, -1, "FFFF1F"},
                                                               {253, 70000, "701101"},
                                                               {-1, 0, "#9"},
                                                               {254, 0, "#9"}}) {
    EEpromImage image{};
    image.fill(0xE0);  // the old flags go with a new RIC
    const std::string outcome = Outcome([&] { return PutRIC(image, slot, ric), ""; });
    std::string written;
    for (int at = std::max(slot, 0); at < std::max(slot, 0) + 3 && at < 256; ++at)
      written += Hex2(image[at]);
    EXPECT_EQ(outcome.empty() ? written : outcome, bytes) << slot << " " << ric;
  }
}

TEST(BitArray, AreaBytesInOrderEachFromItsTopBit) {
  for (const auto& [address, bit, element] : std::vector<std::tuple<int, std::uint8_t, int>>{
           {7, 0x80, 0}, {9, 0x01, 23}, {248, 0x80, 24}, {254, 0x01, 79}}) {
    EEpromImage image{};
    image[address] = bit;
    BitArray bits{};
    UnpackEEpromIntoBitArray(image, bits);
    for (int k = 0; k < 85; ++k)
      EXPECT_EQ(bits[k], k == element) << address << " " << k;
    EEpromImage packed{};
    PackBitArrayIntoEEprom(bits, packed);
    EXPECT_EQ(packed, image);
  }
  BitArray bad{};
  bad[40] = 2;
  EEpromImage image{};
  EXPECT_EQ(Outcome([&] { return PackBitArrayIntoEEprom(bad, image), ""; }), "#6");
}

// Two codes a byte over the area, byte 4 counting four bits a character.
TEST(NumericSequence, PacksTwoCodesAByteAndReadsBack) {
  const std::string none(14, '0');  // bytes 248 to 254
  const std::vector<std::array<std::string, 3>> cases{
      {"123", "84C000" + none, "123"},
      {"U-5", "DBA000" + none, "U-5"},
      {"u", "000000" + none, "0"},  // outside the table: code 0
      {"[ ]", "F37000" + none, "[ ]"},
      {"01234567890123456789", "084C2A6E19084C2A6E19", "01234567890123456789"},
  };
  for (const auto& [text, bytes, readBack] : cases) {
    EEpromImage image;
    image.fill(0x55);
    PackNumeric(text, image);
    std::string area;
    for (const int address : kVerificationArea)
      area += Hex2(image[address]);
    EXPECT_EQ(area, bytes) << text;
    EXPECT_EQ(image[4], 4 * text.size());
    EXPECT_EQ(UnpackNumeric(image), readBack);
  }
  EEpromImage image{};
  PackNumeric("12345", image);
  image[4] = 10;  // two and a half characters: two
  EXPECT_EQ(UnpackNumeric(image), "12");
  image[7] = 0x12;
  EXPECT_EQ(Outcome([&] { return PackNumeric("012345678901234567890", image), ""; }), "#5");
  EXPECT_EQ(image[7], 0x12);
  EXPECT_EQ(image[4], 10);
}

// Seven bits a character from bit 0; elements past the text keep their values.
TEST(AlphaSequence, PacksSevenBitsACharacterAndReadsElevenCutToByteFour) {
  EEpromImage image{};
  BitArray bits{};
  bits.fill(1);
  PackCharsIntoBitArray("", bits, image);
  EXPECT_EQ(image[4], 0);
  EXPECT_EQ(std::count(bits.begin(), bits.end(), 1), 85);
  PackCharsIntoBitArray("@ ", bits, image);  // code 64: only bit 6; trailing blanks do not count
  EXPECT_EQ(image[4], 7);
  EXPECT_EQ(std::count(bits.begin(), bits.begin() + 6, 1), 0);
  EXPECT_EQ(bits[6] + bits[7], 2);

  EXPECT_EQ(Outcome([&] { return PackCharsIntoBitArray("ABCDEFGHIJKL", bits, image), ""; }), "");
  image[4] = 0;  // 12 still fit the 85 elements, 13 do not
  EXPECT_EQ(Outcome([&] { return PackCharsIntoBitArray("ABCDEFGHIJKLM", bits, image), ""; }), "#9");
  EXPECT_EQ(image[4], 0);

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
