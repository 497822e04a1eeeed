#include "unit_model.h"

#include <gtest/gtest.h>

#include "fake_unit.h"

namespace kova::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

EEpromImage Image(int rateIndex) {
  EEpromImage image{};
  for (int i = 0; i < 256; ++i)
    image[i] = static_cast<std::uint8_t>(255 - i);
  image[5] = static_cast<std::uint8_t>(rateIndex << 3);
  return image;
}

Bytes Ack(const Bytes& rest) {
  Bytes bytes(rest.size() + 1, UnitModel::kAcknowledge);
  std::copy(rest.begin(), rest.end(), bytes.begin() + 1);
  return bytes;
}

const Bytes kVersions{'A', '\r', 'B', 'B', '\r', '\r'};
const EEpromImage kImage = Image(4);
const Bytes kEEprom(kImage.begin(), kImage.end());

TEST(UnitModel, AnswersEachCommandAsFaultsAllow) {
  struct Case {
    const char* name;
    UnitFaults faults;
    std::uint8_t command;
    Bytes answer;
  };
  const Case cases[] = {
      {"version", {}, 'v', Ack(kVersions)},
      {"read", {}, '#', Ack(kEEprom)},
      {"write", {}, '!', Ack({})},
      {"unknown", {}, 'x', {}},
      {"silent", test::Silent(), 'v', {}},
      {"no ack for v", test::NoAck("v"), 'v', {}},
      {"no ack for # only", test::NoAck("#"), 'v', Ack(kVersions)},
      {"stop after 3", test::StopAfter(3), '#', Ack(Bytes(kEEprom.begin(), kEEprom.begin() + 3))},
      {"stray", test::Stray(2), '!', {0xE5, 0xE5, 0x06}},
      {"corrupt waits for a write", test::CorruptAt(9), '#', Ack(kEEprom)},
  };
  for (const Case& c : cases) {
    UnitModel unit(Image(4), {"A", "BB", ""}, c.faults);
    EXPECT_EQ(unit.Receive(c.command, 0ms).bytes, c.answer) << c.name;
  }
}

TEST(UnitModel, AWriteStoresBytes4To255ThenRateAndReadBackFollow) {
  UnitModel unit(Image(4), {}, test::CorruptAt(9));
  const EEpromImage next = Image(1);
  unit.Receive('!', 0ms);
  UnitModel::Event last{};
  for (int i = 4; i < 256; ++i)
    last = unit.Receive(next[i], (i - 3) * 10ms).event;
  EXPECT_EQ(last, UnitModel::Event::Written);
  EXPECT_EQ(unit.RateIndex(), 1);
  EXPECT_TRUE(std::equal(next.begin() + 4, next.end(), unit.eeprom().begin() + 4));
  EXPECT_EQ(unit.Receive('#', 5s).bytes[1 + 9], static_cast<std::uint8_t>(next[9] ^ 0xFF));
  EXPECT_EQ(unit.Receive('#', 6s).bytes[1 + 9], next[9]) << "only the read-back";
}

TEST(UnitModel, AnInterruptedWriteKeepsWhatCameAndTheOldRateUntilReset) {
  for (const bool dropped : {true, false}) {  // the PC closed the line, or the next byte is late
    UnitModel unit(Image(4), {"A", "BB", ""});
    unit.Receive('!', 0ms);
    for (int i = 0; i < 10; ++i)
      unit.Receive(0x08, 10ms * (i + 1));  // byte 5 selects 57600
    const auto late = 110ms + UnitModel::kWriteGap + 1ms;
    if (dropped) {
      EXPECT_EQ(unit.LineDropped(), UnitModel::Event::WriteAbandoned);
    }
    const UnitModel::Answer answer = unit.Receive('v', late);
    EXPECT_EQ(answer.event, dropped ? UnitModel::Event::None : UnitModel::Event::WriteAbandoned);
    EXPECT_EQ(answer.bytes, Ack(kVersions)) << "commands are heard again";
    EXPECT_EQ(unit.eeprom()[13], 0x08);
    EXPECT_EQ(unit.eeprom()[14], Image(4)[14]);
    EXPECT_EQ(unit.RateIndex(), 4);
    EXPECT_EQ(unit.Receive('R', late).event, UnitModel::Event::Reset);
    EXPECT_EQ(unit.RateIndex(), 1) << "a restart reads the rate from the EEPROM";
  }
}

TEST(UnitModel, ElapsedCounterCarriesMinutesIntoHours) {
  struct Case {
    std::array<std::uint8_t, 4> before;
    long minutes;
    std::array<std::uint8_t, 4> after;
  };
  const Case cases[] = {{{59, 0, 0, 0}, 1, {0, 1, 0, 0}},
                        {{30, 0xFF, 0, 0}, 30, {0, 0, 1, 0}},
                        {{59, 0xFF, 0xFF, 0xFF}, 1, {0, 0, 0, 0}},
                        {{10, 2, 0, 0}, 125, {15, 4, 0, 0}}};
  for (const Case& c : cases) {
    EEpromImage image{};
    std::copy(c.before.begin(), c.before.end(), image.begin());
    UnitModel unit(image, {});
    unit.AdvanceMinutes(c.minutes);
    EXPECT_TRUE(std::equal(c.after.begin(), c.after.end(), unit.eeprom().begin()))
        << int(c.before[0]) << "+" << c.minutes;
  }
}

}  // namespace
}  // namespace kova::sim
